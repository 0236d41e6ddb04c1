// The PNG decoder: Debian's header-only stb_image, built here once with
// only its PNG reader, its functions private to this file so that another
// program or test may carry its own copy. It allocates the decoded dots
// itself; pngfrei gives them back before the loader returns.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
// No failure texts: they would be a mutable global, and the loader has its own messages.
#define STBI_NO_FAILURE_STRINGS
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
#include "stb_image.h"
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#include "picture.h"

#include <climits>

unsigned char *pngrgba(const unsigned char *png, long len, int *w, int *h)
{
    int kanaele;
    if (len > INT_MAX)
        return nullptr;
    return stbi_load_from_memory(png, (int)len, w, h, &kanaele, 4);
}

void pngfrei(unsigned char *rgba)
{
    stbi_image_free(rgba);
}
