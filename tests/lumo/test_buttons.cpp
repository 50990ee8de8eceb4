// Buttons, toggles, radio groups, entries, LEDs and button arrays.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "lumo/adjust.h"
#include "lumo/buttons.h"
#include "lumo/gtk_led.h"
#include "lumo/lumo_misc.h"
#include "lumo/packing.h"
#include "lumo/windows.h"
#include "lumo_fixture.h"

namespace kelo {
namespace {

using test::id_of;
using test::label_texts;
using test::LumoTest;
using test::window_with;
using Strings = std::vector<std::string>;

// What the command callbacks saw.
struct Calls {
  Strings ids;
  std::vector<int> on;  // Update_Togglelabel inside the callback
  std::vector<GtkWidget*> widgets;
};
Calls g_calls;

void record(GtkWidget* w, const char* id) {
  g_calls.ids.emplace_back(id != nullptr ? id : "(null)");
  g_calls.on.push_back(GTK_IS_TOGGLE_BUTTON(w) ? Update_Togglelabel(w) : -1);
  g_calls.widgets.push_back(w);
}

const char* label_of(GtkWidget* button) { return gtk_button_get_label(GTK_BUTTON(button)); }
bool active(GtkWidget* t) { return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(t)) != FALSE; }
// Whether a toggle is down, and its label.
std::pair<bool, std::string> state(GtkWidget* t) { return {active(t), label_of(t)}; }
using State = std::pair<bool, std::string>;
GtkOrientation orientation(GtkWidget* w) { return gtk_orientable_get_orientation(GTK_ORIENTABLE(w)); }

TEST(LumoLabels, TwoStateLabelsAndArrayFormats) {
  EXPECT_TRUE(is_two_state_label("Start/Stop"));
  for (const char* no : {"a//b", "a/b/c", "Plain"}) EXPECT_FALSE(is_two_state_label(no)) << no;
  EXPECT_EQ(toggle_text("Plain", true), "Plain");
  EXPECT_EQ(toggle_text("a//b", true), "a//b");

  // printf values from the list; type mismatches convert instead of reading
  // garbage; missing values are 0.
  struct Case {
    const char* format;
    std::vector<BaArg> args;
    size_t max;
    const char* out;
    size_t pos;
  };
  const Case cases[] = {
      {"%d%%|%5.1f|%-6s|%c", {42LL, 3.14159, "NOAA", 65LL, 7LL}, 127, "42%|  3.1|NOAA  |A", 4},
      {"%f %d %s %d", {5LL, 2.9, 1LL}, 127, "5.000000 2  0", 3},
      {"%ld:%02d", {12LL, 5LL}, 127, "12:05", 2},
      {"%s", {"abcdef"}, 3, "abc", 1},
  };
  for (const Case& c : cases) {
    size_t pos = 0;
    EXPECT_EQ(format_ba_args(c.format, c.args, &pos, c.max), c.out);
    EXPECT_EQ(pos, c.pos) << c.format;
  }
}

TEST_F(LumoTest, ToggleSetButtonRunsTheCallbackSetLocalDoesNot) {
  g_calls = {};
  GtkWidget* t = Create_Toggle("Start/Stop", record, 0);
  GtkWidget* win = window_with(Pack(nullptr, 'v', t, 0, nullptr));
  EXPECT_STREQ(label_of(t), "Start");

  EXPECT_EQ(Set_Button(win, "Start/Stop", 1), 1);
  EXPECT_EQ(state(t), State(true, "Stop"));
  EXPECT_EQ(g_calls.ids, Strings{"Start/Stop"});
  EXPECT_EQ(g_calls.on[0], 1);  // just switched on
  EXPECT_EQ(Get_Button(win, "Start/Stop"), 1);

  EXPECT_EQ(Set_Local_Button(win, "Start/Stop", 0), 1);
  EXPECT_EQ(state(t), State(false, "Start"));
  EXPECT_EQ(g_calls.ids.size(), 1u);
  EXPECT_EQ(Get_Local_Button(win, "Start/Stop"), 0);

  // An operator's click runs the callback once, after the state changed.
  gtk_button_clicked(GTK_BUTTON(t));
  EXPECT_EQ(state(t), State(true, "Stop"));
  gtk_button_clicked(GTK_BUTTON(t));
  EXPECT_EQ(state(t), State(false, "Start"));
  EXPECT_EQ(g_calls.on, (std::vector<int>{1, 1, 0}));

  EXPECT_EQ(Set_Button(win, "Missing", 1), 0);
  EXPECT_EQ(Set_Local_Button(win, "Missing", 1), 0);
}

TEST_F(LumoTest, InitialStatesChecksAndPlainButtons) {
  g_calls = {};
  GtkWidget* t = Create_Toggle("Start/Stop", record, 1);
  GtkWidget* c = Create_Check("!", record, 1);
  GtkWidget* plain = Create_Toggle("Grid", record, 1);
  GtkWidget* box = Create_Check("^Despeckle", record, 0);
  GtkWidget* apply = Create_Button("Apply", record);
  GtkWidget* win = window_with(Pack(nullptr, 'v', t, 0, c, 0, plain, 0, box, 0, apply, 0, nullptr));
  EXPECT_TRUE(g_calls.ids.empty());          // initial states do not run callbacks
  EXPECT_EQ(state(t), State(true, "Stop"));  // a toggle that starts down shows its on text
  EXPECT_EQ(Update_Togglelabel(plain), 0);   // no two-state label
  // A "!" check button has no text and is found by "!".
  EXPECT_EQ(gtk_bin_get_child(GTK_BIN(c)), nullptr);
  EXPECT_EQ(Get_Button(win, "!"), 1);
  gtk_button_clicked(GTK_BUTTON(c));
  EXPECT_EQ(Get_Button(win, "!"), 0);
  EXPECT_EQ(g_calls.ids, Strings{"!"});

  // "^": the label above a check button without text.
  EXPECT_EQ(orientation(box), GTK_ORIENTATION_VERTICAL);
  EXPECT_EQ(gtk_bin_get_child(GTK_BIN(Find_Widget(win, "^Despeckle"))), nullptr);
  EXPECT_EQ(label_texts(box), Strings{"Despeckle"});
  EXPECT_EQ(Find_Top_Widget(win, "^Despeckle"), box);

  testing::internal::CaptureStdout();
  EXPECT_EQ(Get_Button(win, "Apply"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "buttons:  gtk_is_button verwacht... id=>Apply<\n");
  // A plain button is clicked by Set_Button.
  EXPECT_EQ(Set_Button(win, "Apply", 0), 1);
  EXPECT_EQ(g_calls.ids, (Strings{"!", "Apply"}));
}

TEST_F(LumoTest, SenseAndShowWorkOnTheWholeAssembly) {
  GtkWidget* t = Create_Toggle("Record", record, 0);
  GtkWidget* entry_box = Create_Entry("^Basename", record, "%s", "noaa");
  GtkWidget* win = window_with(Pack(nullptr, 'v', t, 0, entry_box, 0, nullptr));
  gtk_widget_show(win);
  Set_Local_Button(win, "Record", 1);
  g_calls = {};
  // Greying a toggle that is down runs its callback once more.
  EXPECT_EQ(Sense_Button(win, "Record", 0), 1);
  EXPECT_FALSE(gtk_widget_get_sensitive(t));
  EXPECT_EQ(g_calls.ids.size(), 1u);
  EXPECT_EQ(Sense_Button(win, "Record", 1), 1);
  EXPECT_EQ(g_calls.ids.size(), 1u);
  // The label box of the entry goes with it.
  EXPECT_EQ(Show_Button(win, "^Basename", 0), 1);
  EXPECT_FALSE(gtk_widget_get_visible(entry_box));
  EXPECT_EQ(Sense_Button(win, "^Basename", 0), 1);
  EXPECT_FALSE(gtk_widget_get_sensitive(entry_box));
  EXPECT_EQ(Show_Button(win, "Nothing", 1), 0);
  EXPECT_EQ(Sense_Button(win, "Nothing", 1), 0);
}

TEST_F(LumoTest, EntriesFromFormats) {
  g_calls = {};
  GtkWidget* box = Create_Entry("^Width", record, "%-10s", "ab");
  GtkWidget* ro = Create_Entry("Satellite", nullptr, "%s", "NOAA 19");
  GtkWidget* win = window_with(Pack(nullptr, 'v', box, 0, ro, 0, nullptr));
  GtkWidget* e = Find_Widget(win, "^Width");
  ASSERT_NE(e, nullptr);
  EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(e)), "ab");  // trailing blanks removed
  EXPECT_TRUE(gtk_editable_get_editable(GTK_EDITABLE(e)));
  EXPECT_EQ(label_texts(box), Strings{"Width"});
  // "^" puts the label above, a plain label goes left of a read-only entry.
  EXPECT_EQ(orientation(box), GTK_ORIENTATION_VERTICAL);
  EXPECT_FALSE(gtk_editable_get_editable(GTK_EDITABLE(Find_Widget(win, "Satellite"))));
  EXPECT_EQ(orientation(ro), GTK_ORIENTATION_HORIZONTAL);

  // Setting the text runs "changed" with the label.
  EXPECT_EQ(Set_Entry(win, "^Width", "%d", 640), 1);
  EXPECT_STREQ(Get_Entry(win, "^Width"), "640");
  ASSERT_FALSE(g_calls.ids.empty());
  EXPECT_EQ(g_calls.ids.back(), "^Width");
  EXPECT_EQ(Set_Entry(win, "Satellite", "%s", std::string(400, 'z').c_str()), 1);
  EXPECT_EQ(std::strlen(Get_Entry(win, "Satellite")), static_cast<size_t>(kSetEntryMax));
  EXPECT_EQ(Set_Entry1(win, "Nope", "x"), 0);
  EXPECT_EQ(Get_Entry(win, "Nope"), nullptr);
}

TEST_F(LumoTest, LabelsAndIdentifierCopies) {
  GtkWidget* l = Create_Label("%s", std::string(200, 'q').c_str());
  EXPECT_EQ(std::string(gtk_label_get_text(GTK_LABEL(l))), std::string(kLabelMax, 'q'));
  EXPECT_EQ(std::string(id_of(l)), std::string(kLabelMax, 'q'));

  // The pending copy is handed out before the widget exists.
  char label[] = "Temporary";
  const char* pending = Add_WidgetID(nullptr, label);
  EXPECT_NE(pending, label);
  EXPECT_EQ(Add_WidgetID(nullptr, nullptr), pending);
  GtkWidget* w = gtk_button_new();
  EXPECT_EQ(Add_WidgetID(w, nullptr), pending);
  std::strcpy(label, "Changed!!");
  EXPECT_STREQ(id_of(w), "Temporary");
  test::sink_destroy({l, w});  // frees the copies (checked by the sanitizer build)
}

TEST_F(LumoTest, RadioGroupsAndSetAllButtons) {
  g_calls = {};
  GtkWidget* a = Create_Radio("A", 1, record);
  GtkWidget* b = Create_Radio("B", 0, record);
  GtkWidget* c = Create_Radio("!", 1, record);
  auto group = [](GtkWidget* r) { return gtk_radio_button_get_group(GTK_RADIO_BUTTON(r)); };
  EXPECT_EQ(group(a), group(b));
  EXPECT_NE(group(a), group(c));
  EXPECT_EQ(gtk_bin_get_child(GTK_BIN(c)), nullptr);
  GtkWidget* win = window_with(Pack(nullptr, 'v', a, 0, b, 0, c, 0, nullptr));
  gtk_button_clicked(GTK_BUTTON(b));
  EXPECT_TRUE(active(b));
  EXPECT_FALSE(active(a));
  // Both buttons of the group report their change.
  ASSERT_EQ(g_calls.ids.size(), 2u);
  EXPECT_EQ(Set_Button(win, "A", 1), 1);
  EXPECT_TRUE(active(a));
  EXPECT_EQ(g_calls.ids.back(), "A");
  EXPECT_EQ(g_calls.ids.size(), 3u);  // only the one set runs through Set_Button

  // A destroyed last radio button starts a fresh group instead of crashing.
  test::sink_destroy({Create_Radio("Lone", 1, nullptr)});
  GtkWidget* next = Create_Radio("Next", 0, nullptr);
  EXPECT_EQ(g_slist_length(group(next)), 1u);
  test::sink_destroy({next});

  // Set_All_Buttons runs every toggle below the box, not plain buttons.
  g_calls = {};
  GtkWidget* chans =
      Pack("!chans", 'v', Create_Check("1", record, 0), 0,
           Pack(nullptr, 'h', Create_Check("2", record, 0), 0, Create_Toggle("3", record, 0), 0, nullptr), 0,
           Create_Button("Apply", record), 0, nullptr);
  GtkWidget* win2 = Create_Window(nullptr, 300, 200, "Channels", nullptr);
  gtk_container_add(GTK_CONTAINER(win2), chans);
  Set_All_Buttons(chans, 1);
  EXPECT_EQ(g_calls.ids, (Strings{"1", "2", "3"}));
  EXPECT_EQ(Get_Button(win2, "1") + Get_Button(win2, "2") + Get_Button(win2, "3"), 3);
}

// ---------------------------------------------------------------- arrays
using Cell = std::pair<int, int>;  // left, top

Cell cell_of(GtkWidget* grid, GtkWidget* w) {
  Cell c{-1, -1};
  gtk_container_child_get(GTK_CONTAINER(grid), w, "left-attach", &c.first, "top-attach", &c.second, nullptr);
  return c;
}

TEST_F(LumoTest, ButtonArrayRowsPlaceholdersAndGroups) {
  g_calls = {};
  GtkWidget* grid = Create_ButtonArray(nullptr, record, 3,                        //
                                       kBaButton, "One",                          // (0,0)
                                       kBaToggle, "Two/Deux", 1,                  // (1,0)
                                       kBaSpinHole, "Hidden", "%d%d%d", 1, 2, 3,  // (2,0) empty
                                       kBaCheck, "Four",                          // (0,1)
                                       kBaEntryHole, "Gone", "%d %s", 5, "x",     // (1,1) empty
                                       kBaLabel, "Six",                           // (2,1)
                                       kBaEmpty, "Seven",                         // (0,2) empty
                                       kBaEnd);
  ASSERT_TRUE(GTK_IS_GRID(grid));
  GtkWidget* win = window_with(grid);
  const std::pair<const char*, Cell> cells[] = {
      {"One", {0, 0}}, {"Two/Deux", {1, 0}}, {"Four", {0, 1}}, {"Six", {2, 1}}};
  for (const auto& [id, cell] : cells) {
    GtkWidget* w = Find_Widget(win, id);
    ASSERT_NE(w, nullptr) << id;
    EXPECT_EQ(cell_of(grid, w), cell) << id;
  }
  for (const char* id : {"Hidden", "Gone", "Seven"}) EXPECT_EQ(Find_Widget(win, id), nullptr) << id;
  GtkWidget* one = Find_Widget(win, "One");
  EXPECT_STREQ(label_of(Find_Widget(win, "Two/Deux")), "Deux");  // started down
  EXPECT_TRUE(g_calls.ids.empty());
  gtk_button_clicked(GTK_BUTTON(one));
  EXPECT_EQ(g_calls.ids, Strings{"One"});
}

TEST_F(LumoTest, ButtonArrayRadioRunsAndValueEntries) {
  GtkWidget* framed = Create_ButtonArray("Channels", record, 0,  // one row
                                         kBaRadioRun, "A", kBaRadioRun, "B", kBaButton, "Sep", kBaRadioRun,
                                         "C", kBaRadioRun, "D",                         //
                                         kBaRadioNew, "E", kBaRadioJoin, "F",           //
                                         kBaEntry, "Lines", "%d lines", 1200,           //
                                         kBaEntryRO, "Sat", "%s %4.1f", "NOAA", 19.0,   //
                                         kBaLed, "Sync", 0xF00,                         //
                                         kBaToggleHole, "T", 0,                         //
                                         kBaScale, "Default", "%d%d%d", 1, 0, 9,        //
                                         kBaScaleH, "Gain", "%d%d%d", 4, 0, 10,         //
                                         kBaSpin, "Gamma", "%8.1f%f%f", 1.0, 0.2, 5.0,  //
                                         kBaScaleV, "Level", "%d%d%d", 2, 0, 5, kBaEnd);
  GtkWidget* win = window_with(framed);
  auto group = [&](const char* id) {
    return gtk_radio_button_get_group(GTK_RADIO_BUTTON(Find_Widget(win, id)));
  };
  EXPECT_EQ(group("A"), group("B"));
  EXPECT_EQ(group("C"), group("D"));
  EXPECT_NE(group("A"), group("C"));
  EXPECT_EQ(group("E"), group("F"));
  EXPECT_NE(group("E"), group("D"));
  EXPECT_STREQ(Get_Entry(win, "Lines"), "1200 lines");
  EXPECT_STREQ(Get_Entry(win, "Sat"), "NOAA 19.0");
  EXPECT_FALSE(gtk_editable_get_editable(GTK_EDITABLE(Find_Widget(win, "Sat"))));
  EXPECT_TRUE(GTK_IS_LED(Find_Widget(win, "Sync")));
  EXPECT_EQ(Find_Widget(win, "T"), nullptr);
  EXPECT_EQ(Find_Widget(win, "Default"), nullptr);  // no default orientation: empty cell
  EXPECT_EQ(orientation(Find_Widget(win, "Gain")), GTK_ORIENTATION_HORIZONTAL);
  EXPECT_EQ(orientation(Find_Widget(win, "Level")), GTK_ORIENTATION_VERTICAL);
  EXPECT_DOUBLE_EQ(Get_Adjust(win, "Level"), 2);
  GtkWidget* gamma = Find_Widget(win, "Gamma");
  // Array controls call back with the control and its label.
  g_calls = {};
  Set_Adjust(win, "Gamma", "%f", 2.5);
  EXPECT_EQ(g_calls.ids, Strings{"Gamma"});
  EXPECT_EQ(g_calls.widgets, std::vector<GtkWidget*>{gamma});
  // Cells: everything in one row, the placeholders keep their cells.
  GtkWidget* grid = gtk_widget_get_parent(Find_Widget(win, "Sep"));
  ASSERT_TRUE(GTK_IS_GRID(grid));
  EXPECT_EQ(cell_of(grid, Find_Widget(win, "Sep")), Cell(2, 0));
  EXPECT_EQ(cell_of(grid, Find_Top_Widget(win, "Gain")), Cell(12, 0));

  // A string where a type code belongs ends the list.
  GtkWidget* bad =
      Create_ButtonArray(nullptr, record, 2, kBaButton, "Ok", "oops", kBaButton, "Never", kBaEnd);
  // Missing values at the end are read as 0, not from beyond the list.
  GtkWidget* w2 =
      window_with(Pack(nullptr, 'v', bad, 0,
                       Create_ButtonArray(nullptr, record, 2, kBaEntryRO, "Short", "%d-%d", 3), 0, nullptr));
  EXPECT_NE(Find_Widget(w2, "Ok"), nullptr);
  EXPECT_EQ(Find_Widget(w2, "Never"), nullptr);
  EXPECT_STREQ(Get_Entry(w2, "Short"), "3-0");
}

// ---------------------------------------------------------------- LED
// The colour of the pixel at (x, y) of an offscreen window, after drawing.
guint32 pixel_at(GtkWidget* offscreen, int x, int y) {
  gtk_widget_queue_draw(offscreen);
  for (int i = 0; i < 5; ++i) {
    test::drain();
    g_usleep(10000);
  }
  test::drain();
  GdkPixbuf* pb = gtk_offscreen_window_get_pixbuf(GTK_OFFSCREEN_WINDOW(offscreen));
  if (pb == nullptr) return 0xFFFFFFFF;
  const guchar* p =
      gdk_pixbuf_get_pixels(pb) + y * gdk_pixbuf_get_rowstride(pb) + x * gdk_pixbuf_get_n_channels(pb);
  guint32 rgb = (static_cast<guint32>(p[0]) << 16) | (static_cast<guint32>(p[1]) << 8) | p[2];
  g_object_unref(pb);
  return rgb;
}

TEST_F(LumoTest, LedIsARoundLampInItsColour) {
  GtkWidget* off = gtk_offscreen_window_new();
  GtkWidget* led_box = Create_Led("Aligned", 0xF00);
  gtk_container_add(GTK_CONTAINER(off), led_box);
  gtk_widget_show_all(off);
  test::drain();
  GtkWidget* lamp = Find_Local_Widget(off, "Aligned");
  ASSERT_TRUE(GTK_IS_LED(lamp));
  GtkAllocation a;
  gtk_widget_get_allocation(lamp, &a);
  EXPECT_EQ(a.width, kLedSize);
  EXPECT_EQ(a.height, kLedSize);
  // The centre is lamp-red, the corner is not painted (a circle, not a square).
  EXPECT_EQ(pixel_at(off, a.x + 4, a.y + 4), 0xFF0000u);
  EXPECT_NE(pixel_at(off, a.x, a.y), 0xFF0000u);
  // Set_Led by identifier; an unknown identifier changes nothing.
  Set_Led(off, "/Aligned", 0x7FF);
  EXPECT_EQ(pixel_at(off, a.x + 4, a.y + 4), 0x77FFFFu);
  Set_Led(off, "/Nothing", 0x888);
  EXPECT_EQ(pixel_at(off, a.x + 4, a.y + 4), 0x77FFFFu);
  // The labelled lamp: lamp box first, then the text.
  EXPECT_EQ(label_texts(led_box), Strings{"Aligned"});
  gtk_widget_destroy(off);
}

// ---------------------------------------------------------------- menus
int g_combo_changes = 0;
void on_combo(GtkComboBox*, gpointer) { ++g_combo_changes; }

TEST_F(LumoTest, SetButtonOnMenuItemsAndOptionMenus) {
  GtkWidget* bar = gtk_menu_bar_new();
  GtkWidget* menu = gtk_menu_new();
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(test::menu_item(bar, "View", "View")), menu);
  GtkWidget* grid = test::menu_item(menu, "Grid", "View/Grid", true);
  GtkWidget* combo = gtk_combo_box_text_new();
  for (const char* item : {"Channel 1", "Channel 2", "Channel 3"}) {
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(combo), item);
  }
  g_object_set_data(G_OBJECT(combo), kKeyId, const_cast<char*>("!Show channel"));
  g_signal_connect(combo, "changed", G_CALLBACK(on_combo), nullptr);
  GtkWidget* win = window_with(Pack(nullptr, 'v', bar, 0, combo, 0, nullptr));

  EXPECT_EQ(Get_Button(win, "View/Grid"), 0);
  EXPECT_EQ(Set_Button(win, "View/Grid", 1), 1);
  EXPECT_TRUE(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(grid)));
  EXPECT_EQ(Get_Button(win, "View/Grid"), 1);
  g_combo_changes = 0;
  EXPECT_EQ(Set_Button(win, "!Show channel", 2), 1);
  EXPECT_EQ(gtk_combo_box_get_active(GTK_COMBO_BOX(combo)), 2);
  EXPECT_EQ(g_combo_changes, 1);  // the option menu's callback ran
}

}  // namespace
}  // namespace kelo
