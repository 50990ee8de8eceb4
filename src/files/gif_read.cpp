#include "files/gif_read.h"

namespace kelo {

int read_gif_header(PIC_INFO*) { return kGifNoScreen; }
int read_gif_line(PIC_INFO*, int, uint16_t*) { return 0; }
int rewind_gif(PIC_INFO*) { return kGifNoScreen; }
void read_gif_close(LZW_STATE*) {}
int get_next_code(LZW_STATE*, int, FILE*) { return -1; }

}  // namespace kelo
