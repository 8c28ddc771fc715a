// The one translation unit of the icon tool that compiles the PNG writer.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
