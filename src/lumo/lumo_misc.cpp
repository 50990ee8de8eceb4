// Widget identifiers and lookup of the GUI layer.
#include <gtk/gtk.h>
