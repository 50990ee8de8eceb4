// The packing language: a box and its children in one call, nested calls
// build a whole window.
#include "lumo/packing.h"

#include <cctype>
#include <climits>
#include <cstring>

#include "lumo/lumo_misc.h"

namespace kelo {

int first_number(const char* text) {
  if (text == nullptr) return 0;
  const char* p = text;
  while (*p != '\0' && !std::isdigit(static_cast<unsigned char>(*p))) ++p;
  long value = 0;
  for (; std::isdigit(static_cast<unsigned char>(*p)); ++p) {
    value = value * 10 + (*p - '0');
    if (value > INT_MAX / 10) break;  // a spacing this large is a typing error; keep it finite
  }
  return static_cast<int>(value);
}

BoxCode parse_box_code(const char* code) {
  BoxCode box;
  if (code == nullptr) return box;
  bool h = std::strchr(code, 'h') != nullptr;
  bool v = std::strchr(code, 'v') != nullptr;
  box.horizontal = h || !v;
  box.homogeneous = std::strchr(code, 'H') != nullptr;
  box.scrolled = std::strchr(code, 's') != nullptr;
  box.spacing = first_number(code);
  return box;
}

ChildCode parse_child_code(const char* code) {
  ChildCode child;
  if (code == nullptr) return child;
  child.expand = std::strchr(code, 'e') != nullptr;
  child.fill = std::strchr(code, 'f') != nullptr;
  child.automatic = std::strchr(code, 'a') != nullptr;
  child.at_end = std::strchr(code, 'E') != nullptr;
  child.padding = first_number(code);
  return child;
}

namespace {

// Drawing areas and scrolled windows are the widgets that should grow with
// the window (the canvas, lists, texts).
bool grows(GtkWidget* w) { return GTK_IS_DRAWING_AREA(w) || GTK_IS_SCROLLED_WINDOW(w); }

// Lists and texts are built inside a scrolled window; callers pass the inner
// widget and the scrolled window is packed in its place.
GtkWidget* packed_widget(GtkWidget* w) {
  if ((GTK_IS_TREE_VIEW(w) || GTK_IS_TEXT_VIEW(w)) && gtk_widget_get_parent(w) != nullptr) {
    return gtk_widget_get_parent(w);
  }
  return w;
}

GtkWidget* new_box(bool horizontal, bool homogeneous, int spacing) {
  GtkWidget* box = gtk_box_new(horizontal ? GTK_ORIENTATION_HORIZONTAL : GTK_ORIENTATION_VERTICAL, spacing);
  gtk_box_set_homogeneous(GTK_BOX(box), homogeneous ? TRUE : FALSE);
  return box;
}

void pack_one(GtkWidget* box, GtkWidget* child, bool expand, bool fill, int padding, bool at_end) {
  if (padding < 0) padding = 0;
  if (gtk_widget_get_parent(child) != nullptr) {
    // Already packed somewhere: a caller's mistake that GTK would refuse.
    g_warning("packing: widget already has a parent");
    return;
  }
  if (at_end) {
    gtk_box_pack_end(GTK_BOX(box), child, expand, fill, static_cast<guint>(padding));
  } else {
    gtk_box_pack_start(GTK_BOX(box), child, expand, fill, static_cast<guint>(padding));
  }
}

GtkWidget* finish(const char* name, GtkWidget* box) {
  if (name != nullptr) g_object_set_data(G_OBJECT(box), kKeyId, const_cast<char*>(name));
  gtk_widget_show(box);
  GtkWidget* result = box;
  if (name != nullptr && name[0] != '!') {
    GtkWidget* frame = gtk_frame_new(name[0] != '\0' ? name : nullptr);
    gtk_widget_show(frame);
    gtk_container_add(GTK_CONTAINER(frame), box);
    result = frame;
  }
  return result;
}

void set_top(const char* name, GtkWidget* result) {
  if (name != nullptr) g_object_set_data(G_OBJECT(result), kKeyTopId, const_cast<char*>(name));
}

}  // namespace

GtkWidget* PackList(const char* name, char direction, const std::vector<PackChild>& children) {
  bool vertical = direction == 'v' || direction == 'V';
  bool homogeneous = direction == 'V' || direction == 'H';
  GtkWidget* box = new_box(!vertical, homogeneous, 0);
  for (const PackChild& c : children) {
    if (c.widget == nullptr) break;  // the list ends at the first null widget
    GtkWidget* w = packed_widget(c.widget);
    int pad = c.pad;
    if (grows(w)) {
      pack_one(box, w, true, true, pad < 0 ? -pad : pad, false);
    } else if (pad < 0) {
      pack_one(box, w, true, true, -pad, false);
    } else {
      pack_one(box, w, false, false, pad, false);
    }
  }
  GtkWidget* result = finish(name, box);
  set_top(name, result);
  return result;
}

GtkWidget* SPackList(const char* name, const char* box_code, const std::vector<SPackChild>& children) {
  BoxCode bc = parse_box_code(box_code);
  GtkWidget* box = new_box(bc.horizontal, bc.homogeneous, bc.spacing);
  for (const SPackChild& c : children) {
    if (c.widget == nullptr) break;
    GtkWidget* w = packed_widget(c.widget);
    ChildCode cc = parse_child_code(c.code);
    if (cc.automatic) cc.expand = cc.fill = grows(w);
    pack_one(box, w, cc.expand, cc.fill, cc.padding, cc.at_end);
  }
  GtkWidget* result = finish(name, box);
  if (bc.scrolled) {
    GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    if (bc.horizontal) {
      gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC, GTK_POLICY_NEVER);
    } else {
      gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
    }
    // gtk_container_add puts a viewport between for widgets that cannot scroll.
    gtk_container_add(GTK_CONTAINER(scrolled), result);
    result = scrolled;
  }
  set_top(name, result);
  return result;
}

}  // namespace kelo
