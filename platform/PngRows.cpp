#include "platform/PngRows.h"

#include <QtGlobal>
#include <csetjmp>
#include <cstring>
#include <png.h>

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "rows are read as B, G, R, A bytes");

namespace {

struct Source
{
    const QByteArray &bytes;
    qsizetype at = 0;
};

void readBytes(png_structp png, png_bytep out, png_size_t count)
{
    auto *s = static_cast<Source *>(png_get_io_ptr(png));
    if (s->bytes.size() - s->at < qsizetype(count)) png_error(png, "file ends early");
    std::memcpy(out, s->bytes.constData() + s->at, count);
    s->at += qsizetype(count);
}

void quiet(png_structp, png_const_charp) {}

QByteArray textIn(png_structp png, png_infop info, const char *key)
{
    png_textp texts = nullptr;
    int count = 0;
    if (!info || !png_get_text(png, info, &texts, &count)) return {};
    for (int i = 0; i < count; ++i)
        if (std::strcmp(texts[i].key, key) == 0)
            return QByteArray(texts[i].text, qsizetype(texts[i].text_length));
    return {};
}

} // namespace

struct PngRows::State
{
    Source source;
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_infop end = nullptr;
};

PngRows::PngRows(const QByteArray &bytes) : m(new State{{bytes}}) {}

PngRows::~PngRows()
{
    if (m->png) png_destroy_read_struct(&m->png, &m->info, &m->end);
}

// libpng leaves by longjmp on a broken file: the functions that call it have nothing to
// clean up on the way out but the reader itself, which the destructor frees.
bool PngRows::start()
{
    m->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, quiet, quiet);
    if (!m->png) return false;
    m->info = png_create_info_struct(m->png);
    m->end = png_create_info_struct(m->png);
    if (!m->info || !m->end) return false;
    if (setjmp(png_jmpbuf(m->png))) return false;
    png_set_read_fn(m->png, &m->source, readBytes);
    png_read_info(m->png, m->info);
    if (png_get_interlace_type(m->png, m->info) != PNG_INTERLACE_NONE) return false;
    const int type = png_get_color_type(m->png, m->info);
    png_set_expand(m->png);
    png_set_strip_16(m->png);
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(m->png);
    png_set_filler(m->png, 0xFF, PNG_FILLER_AFTER);
    // B, G, R, A in memory: QImage's ARGB32 on a little-endian machine.
    png_set_bgr(m->png);
    png_read_update_info(m->png, m->info);
    if (png_get_rowbytes(m->png, m->info) != 4 * png_get_image_width(m->png, m->info)) return false;
    m_size = QSize(int(png_get_image_width(m->png, m->info)),
                   int(png_get_image_height(m->png, m->info)));
    return true;
}

QByteArray PngRows::text(const char *key) const
{
    QByteArray t = textIn(m->png, m->info, key);
    return t.isEmpty() ? textIn(m->png, m->end, key) : t;
}

bool PngRows::readRow(uchar *row)
{
    if (setjmp(png_jmpbuf(m->png))) return false;
    png_read_row(m->png, row, nullptr);
    return true;
}

bool PngRows::finish()
{
    if (setjmp(png_jmpbuf(m->png))) return false;
    png_read_end(m->png, m->end);
    return true;
}
