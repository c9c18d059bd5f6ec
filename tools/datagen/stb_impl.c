/* stb_impl.c -- the one translation unit that holds the image writer and the font rasteriser. */
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>
