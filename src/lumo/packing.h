// The packing language: a box and its children in one call.
//
//   Pack(name, direction, child1, pad1, child2, pad2, ..., nullptr)
//   SPack(name, box_code, child1, code1, child2, code2, ..., nullptr)
//
// name: nullptr (no frame, no identifier); "!id" (identifier only); ""
// (untitled frame, identifier ""); anything else (frame titled name,
// identifier name). The box gets "lumo_id" = name and the outermost widget
// "lumo_top_id" = name; the pointer itself is kept, so pass string constants.
//
// Pack direction: 'v', 'V' (equal sizes), 'h', 'H' (equal sizes); anything
// else is 'h'. Padding: drawing areas and scrolled windows expand and fill
// with |p|; other widgets expand and fill with -p when p < 0, else neither.
//
// SPack box code letters: h (horizontal, wins over v), v, H (equal sizes),
// s (inside a scrolled window with a viewport), digits (spacing). Child code:
// e expand, f fill, a (automatic: expand and fill only for drawing areas and
// scrolled windows), E (pack at the end), digits (padding).
//
// A GtkTreeView or GtkTextView child is packed through its parent (their
// builders put them into a scrolled window). The argument lists are checked
// at compile time: each widget must be followed by an int (Pack) or a code
// string (SPack), and the list must end with nullptr.
#pragma once

#include <gtk/gtk.h>

#include <type_traits>
#include <utility>
#include <vector>

namespace kelo {

struct PackChild {
  GtkWidget* widget;
  int pad;
};
struct SPackChild {
  GtkWidget* widget;
  const char* code;
};

GtkWidget* PackList(const char* name, char direction, const std::vector<PackChild>& children);
GtkWidget* SPackList(const char* name, const char* box_code, const std::vector<SPackChild>& children);

// The parsed codes (exposed for the tests and the canvas builders).
struct BoxCode {
  bool horizontal = true;
  bool homogeneous = false;
  bool scrolled = false;
  int spacing = 0;
};
struct ChildCode {
  bool expand = false;
  bool fill = false;
  bool automatic = false;
  bool at_end = false;
  int padding = 0;
};
BoxCode parse_box_code(const char* code);
ChildCode parse_child_code(const char* code);
// The first run of decimal digits in text, 0 when there is none.
int first_number(const char* text);

namespace detail {
template <class W>
constexpr bool is_widget_arg = std::is_convertible_v<W, GtkWidget*>;

inline void collect(std::vector<PackChild>&, std::nullptr_t) {}
template <class W, class... Rest>
void collect(std::vector<PackChild>& out, W widget, int pad, Rest&&... rest) {
  static_assert(is_widget_arg<W>, "Pack: expected a widget");
  out.push_back({widget, pad});
  collect(out, std::forward<Rest>(rest)...);
}
inline void collect(std::vector<SPackChild>&, std::nullptr_t) {}
template <class W, class... Rest>
void collect(std::vector<SPackChild>& out, W widget, const char* code, Rest&&... rest) {
  static_assert(is_widget_arg<W>, "SPack: expected a widget");
  out.push_back({widget, code});
  collect(out, std::forward<Rest>(rest)...);
}
}  // namespace detail

template <class... Args>
GtkWidget* Pack(const char* name, char direction, Args&&... args) {
  std::vector<PackChild> children;
  detail::collect(children, std::forward<Args>(args)...);
  return PackList(name, direction, children);
}

template <class... Args>
GtkWidget* SPack(const char* name, const char* box_code, Args&&... args) {
  std::vector<SPackChild> children;
  detail::collect(children, std::forward<Args>(args)...);
  return SPackList(name, box_code, children);
}

}  // namespace kelo
