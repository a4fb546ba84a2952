// Rendering fax pages with Cairo, TIFF Class F through libtiff and previews through libpng, in memory.
#include "sim/output/fax_image.h"

#include <cairo.h>
#include <png.h>
#include <tiffio.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

#include "base/errors.h"

namespace telvora::sim::output {
namespace {

struct SurfaceDestroy {
    void operator()(cairo_surface_t* s) const noexcept { cairo_surface_destroy(s); }
};
struct ContextDestroy {
    void operator()(cairo_t* c) const noexcept { cairo_destroy(c); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDestroy>;
using Context = std::unique_ptr<cairo_t, ContextDestroy>;

// A TIFF file in memory, for libtiff's client I/O, and the first error libtiff reported on it.
struct MemoryFile {
    std::string data;
    toff_t position = 0;
    std::string error;

    static tmsize_t read(thandle_t h, void* buffer, tmsize_t size) {
        auto& f = *static_cast<MemoryFile*>(h);
        if (f.position >= f.data.size()) return 0;
        const auto n = std::min<toff_t>(static_cast<toff_t>(size), f.data.size() - f.position);
        std::memcpy(buffer, f.data.data() + f.position, n);
        f.position += n;
        return static_cast<tmsize_t>(n);
    }
    static tmsize_t write(thandle_t h, void* buffer, tmsize_t size) {
        auto& f = *static_cast<MemoryFile*>(h);
        const auto end = f.position + static_cast<toff_t>(size);
        if (end > f.data.size()) f.data.resize(end);
        std::memcpy(f.data.data() + f.position, buffer, static_cast<std::size_t>(size));
        f.position = end;
        return size;
    }
    static toff_t seek(thandle_t h, toff_t offset, int whence) {
        auto& f = *static_cast<MemoryFile*>(h);
        const toff_t base = whence == SEEK_CUR ? f.position : whence == SEEK_END ? f.data.size() : 0;
        f.position = base + offset;
        return f.position;
    }
    static int close(thandle_t) { return 0; }
    static toff_t size(thandle_t h) { return static_cast<MemoryFile*>(h)->data.size(); }
    static int map(thandle_t, void**, toff_t*) { return 0; }
    static void unmap(thandle_t, void*, toff_t) {}
    static int onError(TIFF*, void* user, const char* module, const char* format, va_list args) {
        auto& f = *static_cast<MemoryFile*>(user);
        if (f.error.empty()) {
            char text[512];
            std::vsnprintf(text, sizeof text, format, args);
            f.error = std::string(module ? module : "libtiff") + ": " + text;
        }
        return 1;  // handled: nothing goes to the console
    }
    static int onWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }
};

struct TiffClose {
    void operator()(TIFF* t) const noexcept { TIFFClose(t); }
};
struct OptionsFree {
    void operator()(TIFFOpenOptions* o) const noexcept { TIFFOpenOptionsFree(o); }
};

std::unique_ptr<TIFF, TiffClose> open(MemoryFile& file, const char* mode) {
    std::unique_ptr<TIFFOpenOptions, OptionsFree> options(TIFFOpenOptionsAlloc());
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), &MemoryFile::onError, &file);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), &MemoryFile::onWarning, &file);
    return std::unique_ptr<TIFF, TiffClose>(TIFFClientOpenExt(
        "fax", mode, &file, &MemoryFile::read, &MemoryFile::write, &MemoryFile::seek, &MemoryFile::close,
        &MemoryFile::size, &MemoryFile::map, &MemoryFile::unmap, options.get()));
}

RuntimeError notAFax(const std::string& name, const std::string& why) {
    return RuntimeError(err::InvalidProcedureCall, "\"" + name + "\" is not a fax image: " + why);
}

}  // namespace

std::vector<FaxPage> renderFaxPages(const DocumentLayout& layout, const std::vector<int>& pages) {
    const auto& setup = layout.page();
    // A page wider than the fax line is made to fit it; a narrower one is centred on it.
    const double fit = std::min(1.0, kFaxWidth / (setup.width / 72.0 * kFaxXResolution));
    const double sx = kFaxXResolution / 72.0 * fit;
    const double sy = kFaxYResolution / 72.0 * fit;
    const int height = static_cast<int>(std::ceil(setup.height * sy));
    std::vector<FaxPage> out;
    for (const int index : pages) {
        Surface surface(cairo_image_surface_create(CAIRO_FORMAT_A8, kFaxWidth, height));
        Context cr(cairo_create(surface.get()));
        cairo_translate(cr.get(), (kFaxWidth - setup.width * sx) / 2.0, 0);
        cairo_scale(cr.get(), sx, sy);
        layout.draw(cr.get(), index);
        cairo_surface_flush(surface.get());
        if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS)
            throw RuntimeError(err::OutOfMemory, std::string("The fax page could not be drawn: ") +
                                                     cairo_status_to_string(cairo_status(cr.get())));

        FaxPage page;
        page.height = height;
        page.bits.assign(static_cast<std::size_t>(page.stride()) * height, 0);
        const unsigned char* data = cairo_image_surface_get_data(surface.get());
        const int stride = cairo_image_surface_get_stride(surface.get());
        // Ink covering half a pixel or more makes it black, as a fax printer's threshold does.
        const int bytes = page.stride();
        for (int y = 0; y < height; ++y) {
            const unsigned char* in = data + static_cast<std::size_t>(y) * stride;
            std::uint8_t* row = page.bits.data() + static_cast<std::size_t>(y) * bytes;
            for (int b = 0; b < bytes; ++b, in += 8) {
                std::uint8_t packed = 0;
                for (int k = 0; k < 8; ++k) packed = static_cast<std::uint8_t>((packed << 1) | (in[k] >= 128));
                row[b] = packed;
            }
        }
        out.push_back(std::move(page));
    }
    return out;
}

std::string encodeFaxTiff(const std::vector<FaxPage>& pages) {
    MemoryFile file;
    {
        auto tiff = open(file, "w");
        if (!tiff) throw RuntimeError(err::InternalError, "The fax image could not be made: " + file.error);
        const auto count = static_cast<std::uint16_t>(pages.size());
        for (std::uint16_t n = 0; n < count; ++n) {
            const auto& page = pages[n];
            TIFF* t = tiff.get();
            TIFFSetField(t, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
            TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(page.width));
            TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(page.height));
            TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
            TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
            TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
            TIFFSetField(t, TIFFTAG_GROUP3OPTIONS, GROUP3OPT_FILLBITS);
            TIFFSetField(t, TIFFTAG_FAXMODE, FAXMODE_CLASSF);
            TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
            TIFFSetField(t, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
            TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
            TIFFSetField(t, TIFFTAG_XRESOLUTION, static_cast<float>(page.xResolution));
            TIFFSetField(t, TIFFTAG_YRESOLUTION, static_cast<float>(page.yResolution));
            TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
            TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(page.height));
            TIFFSetField(t, TIFFTAG_PAGENUMBER, n, count);
            TIFFSetField(t, TIFFTAG_CLEANFAXDATA, CLEANFAXDATA_CLEAN);
            TIFFSetField(t, TIFFTAG_SOFTWARE, "Telvora simulated fax printer");
            std::vector<std::uint8_t> row(static_cast<std::size_t>(page.stride()));
            for (int y = 0; y < page.height; ++y) {
                std::copy_n(page.bits.begin() + static_cast<std::ptrdiff_t>(y) * page.stride(), row.size(), row.begin());
                if (TIFFWriteScanline(t, row.data(), static_cast<std::uint32_t>(y), 0) < 0)
                    throw RuntimeError(err::InternalError, "The fax image could not be made: " + file.error);
            }
            if (!TIFFWriteDirectory(t)) throw RuntimeError(err::InternalError, "The fax image could not be made: " + file.error);
        }
    }
    if (!file.error.empty()) throw RuntimeError(err::InternalError, "The fax image could not be made: " + file.error);
    return file.data;
}

std::vector<FaxPage> decodeFaxTiff(const std::string& bytes, const std::string& name) {
    MemoryFile file;
    file.data = bytes;
    auto tiff = open(file, "r");
    if (!tiff) throw notAFax(name, file.error.empty() ? "it is no TIFF file" : file.error);
    std::vector<FaxPage> pages;
    do {
        TIFF* t = tiff.get();
        std::uint32_t width = 0, height = 0;
        std::uint16_t bits = 1, samples = 1, photometric = PHOTOMETRIC_MINISWHITE;
        TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(t, TIFFTAG_IMAGELENGTH, &height);
        TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &samples);
        TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photometric);
        if (bits != 1 || samples != 1) throw notAFax(name, "its pages are not black and white");
        if (width == 0 || height == 0 || width > 8192 || height > 16384) throw notAFax(name, "its page size is not a fax page's");
        FaxPage page;
        page.width = static_cast<int>(width);
        page.height = static_cast<int>(height);
        float xres = 0, yres = 0;
        if (TIFFGetField(t, TIFFTAG_XRESOLUTION, &xres) && xres > 0) page.xResolution = xres;
        if (TIFFGetField(t, TIFFTAG_YRESOLUTION, &yres) && yres > 0) page.yResolution = yres;
        page.bits.assign(static_cast<std::size_t>(page.stride()) * height, 0);
        std::vector<std::uint8_t> row(static_cast<std::size_t>(TIFFScanlineSize(t)));
        if (row.size() < static_cast<std::size_t>(page.stride())) throw notAFax(name, "its rows are cut short");
        for (std::uint32_t y = 0; y < height; ++y) {
            if (TIFFReadScanline(t, row.data(), y, 0) < 0) throw notAFax(name, file.error);
            for (int k = 0; k < page.stride(); ++k)
                page.bits[y * page.stride() + k] = photometric == PHOTOMETRIC_MINISBLACK ? ~row[k] : row[k];
        }
        // Bits past the right edge of a row are no pixels.
        if (page.width % 8 != 0)
            for (std::uint32_t y = 0; y < height; ++y)
                page.bits[y * page.stride() + page.stride() - 1] &= static_cast<std::uint8_t>(0xFF << (8 - page.width % 8));
        pages.push_back(std::move(page));
    } while (TIFFReadDirectory(tiff.get()));
    return pages;
}

namespace {

void appendPng(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

void pngFailed(png_structp png, png_const_charp message) {
    auto* why = static_cast<std::string*>(png_get_error_ptr(png));
    if (why) *why = message;
    png_longjmp(png, 1);
}

void pngWarned(png_structp, png_const_charp) {}

// A one-bit grey PNG of `rows` (white 1, leftmost pixel in the highest bit, as PNG keeps them),
// with no row filters and zlib's quickest compression: a fax page is mostly runs of white, which
// that compresses nearly as small as the slowest does, in a fraction of the time. Only plain
// values live in this frame, since libpng leaves it by a long jump when it fails.
bool encodeBitonalPng(const std::uint8_t* rows, int width, int height, int stride, std::string& out, std::string& why) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &why, pngFailed, pngWarned);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_set_write_fn(png, &out, appendPng, nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 1, PNG_COLOR_TYPE_GRAY,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, Z_BEST_SPEED);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, rows + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

std::string previewPng(const FaxPage& page) {
    // Square pixels: each row of the picture is the fax row at that height, white where the fax is.
    const int height = static_cast<int>(std::lround(page.height * page.xResolution / page.yResolution));
    const auto stride = static_cast<std::size_t>(page.stride());
    std::vector<std::uint8_t> picture(stride * static_cast<std::size_t>(std::max(height, 0)));
    for (int y = 0; y < height; ++y) {
        const int source = std::min(page.height - 1, static_cast<int>(y * page.yResolution / page.xResolution));
        const std::uint8_t* in = page.bits.data() + static_cast<std::size_t>(source) * stride;
        std::uint8_t* row = picture.data() + static_cast<std::size_t>(y) * stride;
        for (std::size_t b = 0; b < stride; ++b) row[b] = static_cast<std::uint8_t>(~in[b]);
    }
    std::string png;
    std::string why = "no picture of that size can be made";
    png.reserve(picture.size() / 8 + 1024);
    if (height <= 0 || !encodeBitonalPng(picture.data(), page.width, height, page.stride(), png, why))
        throw RuntimeError(err::InternalError, "The preview could not be made: " + why);
    return png;
}

}  // namespace telvora::sim::output
