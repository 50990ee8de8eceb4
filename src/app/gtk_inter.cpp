// Menu callbacks of the main window.
#include <gtk/gtk.h>
