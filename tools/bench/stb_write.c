/* stb_write.c -- the image writer the contrast tool saves its frames with. */
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
