// Cost of finding a control by its identifier: every command function looks
// its controls up again instead of keeping pointers, so a lookup in a large
// window must stay cheap. Needs a display (run under xvfb-run).
#include <benchmark/benchmark.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <string>
#include <vector>

#include "lumo/buttons.h"
#include "lumo/lumo_misc.h"
#include "lumo/packing.h"
#include "lumo/windows.h"

namespace {

// A window of `groups` framed groups of ten labelled entries each.
GtkWidget* big_window(int groups) {
  GtkWidget* win = kelo::Create_Window(nullptr, 400, 300, "Bench", nullptr);
  GtkWidget* col = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  static std::vector<std::string> names;
  names.clear();
  names.reserve(static_cast<size_t>(groups) * 11);
  for (int g = 0; g < groups; ++g) {
    names.push_back("Group " + std::to_string(g));
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    for (int i = 0; i < 10; ++i) {
      char label[32];
      std::snprintf(label, sizeof label, "^Field %d.%d", g, i);
      gtk_box_pack_start(GTK_BOX(box), kelo::Create_Entry(label, nullptr, "%d", i), FALSE, FALSE, 0);
    }
    gtk_box_pack_start(GTK_BOX(col), kelo::Pack(names.back().c_str(), 'v', box, 0, nullptr), FALSE, FALSE, 0);
  }
  gtk_container_add(GTK_CONTAINER(win), col);
  return win;
}

void BM_FindLastField(benchmark::State& state) {
  int groups = static_cast<int>(state.range(0));
  GtkWidget* win = big_window(groups);
  std::string last = "^Field " + std::to_string(groups - 1) + ".9";
  for (auto _ : state) benchmark::DoNotOptimize(kelo::Find_Widget(win, last.c_str()));
  state.SetItemsProcessed(state.iterations());
  gtk_widget_destroy(win);
}
BENCHMARK(BM_FindLastField)->Arg(3)->Arg(30);

void BM_FindMissing(benchmark::State& state) {
  GtkWidget* win = big_window(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(kelo::Find_Widget(win, "Nothing"));
  gtk_widget_destroy(win);
}
BENCHMARK(BM_FindMissing)->Arg(30);

}  // namespace

int main(int argc, char** argv) {
  if (!gtk_init_check(&argc, &argv)) {
    std::fprintf(stderr, "bench_lumo_lookup: no display (run under xvfb-run)\n");
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
