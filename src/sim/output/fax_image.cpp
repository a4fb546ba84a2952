// Rendering fax pages with Cairo, TIFF Class F through libtiff and previews through libpng, in memory.
#include "sim/output/fax_image.h"

#include <cairo.h>
#include <png.h>
#include <tiffio.h>
#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

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

// A TIFF file in memory, for libtiff's client I/O, and the first error libtiff reported on it: one
// being written, or bytes kept elsewhere being read.
struct MemoryFile {
    std::string data;
    std::optional<std::string_view> reading;
    toff_t position = 0;
    std::string error;

    std::string_view bytes() const { return reading ? *reading : std::string_view(data); }

    static tmsize_t read(thandle_t h, void* buffer, tmsize_t size) {
        auto& f = *static_cast<MemoryFile*>(h);
        const std::string_view bytes = f.bytes();
        if (f.position >= bytes.size()) return 0;
        const auto n = std::min<toff_t>(static_cast<toff_t>(size), bytes.size() - f.position);
        std::memcpy(buffer, bytes.data() + f.position, n);
        f.position += n;
        return static_cast<tmsize_t>(n);
    }
    static tmsize_t write(thandle_t h, void* buffer, tmsize_t size) {
        auto& f = *static_cast<MemoryFile*>(h);
        if (f.reading) return -1;
        const auto end = f.position + static_cast<toff_t>(size);
        if (end > f.data.size()) f.data.resize(end);
        std::memcpy(f.data.data() + f.position, buffer, static_cast<std::size_t>(size));
        f.position = end;
        return size;
    }
    static toff_t seek(thandle_t h, toff_t offset, int whence) {
        auto& f = *static_cast<MemoryFile*>(h);
        const toff_t base = whence == SEEK_CUR ? f.position : whence == SEEK_END ? f.bytes().size() : 0;
        f.position = base + offset;
        return f.position;
    }
    static int close(thandle_t) { return 0; }
    static toff_t size(thandle_t h) { return static_cast<MemoryFile*>(h)->bytes().size(); }
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

RuntimeError cannotMake(const MemoryFile& file) {
    return RuntimeError(err::InternalError, "The fax image could not be made: " + file.error);
}

// Ink covering half a pixel or more makes it black, as a fax printer's threshold does: a coverage
// of 128 or more is one whose highest bit is set. Eight pixels at a time, each byte's highest bit
// gathered into one byte with the leftmost pixel's highest.
static_assert(std::endian::native == std::endian::little, "eight coverage bytes are read as one little-endian word");
std::uint8_t inkOfEight(const unsigned char* coverage) {
    std::uint64_t eight;
    std::memcpy(&eight, coverage, sizeof eight);
    const std::uint64_t inked = (eight >> 7) & 0x0101010101010101u;  // pixel k's ink at bit 8k
    return static_cast<std::uint8_t>((inked * 0x8040201008040201u) >> 56);  // ... moved to bit 63 - k
}

}  // namespace

struct FaxPageRenderer::Impl {
    const DocumentLayout& layout;
    double dx = 0, sx = 0, sy = 0;
    int height = 0;
    Surface surface;
};

FaxPageRenderer::FaxPageRenderer(const DocumentLayout& layout) : impl_(std::make_unique<Impl>(Impl{layout, 0, 0, 0, 0, {}})) {
    const auto& setup = layout.page();
    // A page wider than the fax line is made to fit it; a narrower one is centred on it.
    const double fit = std::min(1.0, kFaxWidth / (setup.width / 72.0 * kFaxXResolution));
    impl_->sx = kFaxXResolution / 72.0 * fit;
    impl_->sy = kFaxYResolution / 72.0 * fit;
    impl_->dx = (kFaxWidth - setup.width * impl_->sx) / 2.0;
    impl_->height = static_cast<int>(std::ceil(setup.height * impl_->sy));
}

FaxPageRenderer::~FaxPageRenderer() = default;

FaxPage FaxPageRenderer::render(int index) {
    Impl& r = *impl_;
    if (!r.surface) r.surface.reset(cairo_image_surface_create(CAIRO_FORMAT_A8, kFaxWidth, r.height));
    cairo_surface_t* surface = r.surface.get();
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    if (data) {
        // A fresh sheet: no ink anywhere.
        cairo_surface_flush(surface);
        std::memset(data, 0, static_cast<std::size_t>(stride) * static_cast<std::size_t>(r.height));
        cairo_surface_mark_dirty(surface);
    }
    {
        Context cr(cairo_create(surface));
        cairo_translate(cr.get(), r.dx, 0);
        cairo_scale(cr.get(), r.sx, r.sy);
        r.layout.draw(cr.get(), index);
        cairo_surface_flush(surface);
        if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS)
            throw RuntimeError(err::OutOfMemory, std::string("The fax page could not be drawn: ") +
                                                     cairo_status_to_string(cairo_status(cr.get())));
    }

    FaxPage page;
    page.height = r.height;
    const int bytes = page.stride();
    page.bits.resize(static_cast<std::size_t>(bytes) * static_cast<std::size_t>(r.height));
    for (int y = 0; y < r.height; ++y) {
        const unsigned char* in = data + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride);
        std::uint8_t* row = page.bits.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(bytes);
        for (int b = 0; b < bytes; ++b, in += 8) row[b] = inkOfEight(in);
    }
    return page;
}

std::vector<FaxPage> renderFaxPages(const DocumentLayout& layout, const std::vector<int>& pages) {
    FaxPageRenderer renderer(layout);
    std::vector<FaxPage> out;
    for (const int index : pages) out.push_back(renderer.render(index));
    return out;
}

struct FaxTiffWriter::Impl {
    MemoryFile file;
    std::unique_ptr<TIFF, TiffClose> tiff;
    std::uint16_t count = 0;
    std::uint16_t written = 0;
};

FaxTiffWriter::FaxTiffWriter(int pageCount) : impl_(std::make_unique<Impl>()) {
    impl_->count = static_cast<std::uint16_t>(pageCount);
    impl_->tiff = open(impl_->file, "w");
    if (!impl_->tiff) throw cannotMake(impl_->file);
}

FaxTiffWriter::~FaxTiffWriter() = default;

void FaxTiffWriter::add(const FaxPage& page) {
    TIFF* t = impl_->tiff.get();
    const std::uint16_t n = impl_->written++;
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
    TIFFSetField(t, TIFFTAG_PAGENUMBER, n, impl_->count);
    TIFFSetField(t, TIFFTAG_CLEANFAXDATA, CLEANFAXDATA_CLEAN);
    TIFFSetField(t, TIFFTAG_SOFTWARE, "Telvora simulated fax printer");
    std::vector<std::uint8_t> row(static_cast<std::size_t>(page.stride()));
    for (int y = 0; y < page.height; ++y) {
        std::copy_n(page.bits.begin() + static_cast<std::ptrdiff_t>(y) * page.stride(), row.size(), row.begin());
        if (TIFFWriteScanline(t, row.data(), static_cast<std::uint32_t>(y), 0) < 0) throw cannotMake(impl_->file);
    }
    if (!TIFFWriteDirectory(t)) throw cannotMake(impl_->file);
}

std::string FaxTiffWriter::finish() {
    impl_->tiff.reset();
    if (!impl_->file.error.empty()) throw cannotMake(impl_->file);
    return std::move(impl_->file.data);
}

std::string encodeFaxTiff(const std::vector<FaxPage>& pages) {
    FaxTiffWriter writer(static_cast<int>(pages.size()));
    for (const auto& page : pages) writer.add(page);
    return writer.finish();
}

struct FaxTiffReader::Impl {
    MemoryFile file;
    std::unique_ptr<TIFF, TiffClose> tiff;
    std::string name;
    bool started = false;
    FaxPage description;  // the page moved to, without its pixels
    std::uint16_t photometric = PHOTOMETRIC_MINISWHITE;
};

FaxTiffReader::FaxTiffReader(std::string_view bytes, std::string name) : impl_(std::make_unique<Impl>()) {
    impl_->name = std::move(name);
    impl_->file.reading = bytes;
    impl_->tiff = open(impl_->file, "r");
    if (!impl_->tiff) throw notAFax(impl_->name, impl_->file.error.empty() ? "it is no TIFF file" : impl_->file.error);
}

FaxTiffReader::~FaxTiffReader() = default;

bool FaxTiffReader::nextPage() {
    Impl& r = *impl_;
    TIFF* t = r.tiff.get();
    if (r.started && !TIFFReadDirectory(t)) return false;
    r.started = true;
    std::uint32_t width = 0, height = 0;
    std::uint16_t bits = 1, samples = 1;
    r.photometric = PHOTOMETRIC_MINISWHITE;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &r.photometric);
    if (bits != 1 || samples != 1) throw notAFax(r.name, "its pages are not black and white");
    if (width == 0 || height == 0 || width > 8192 || height > 16384) throw notAFax(r.name, "its page size is not a fax page's");
    r.description = FaxPage{};
    r.description.width = static_cast<int>(width);
    r.description.height = static_cast<int>(height);
    float xres = 0, yres = 0;
    if (TIFFGetField(t, TIFFTAG_XRESOLUTION, &xres) && xres > 0) r.description.xResolution = xres;
    if (TIFFGetField(t, TIFFTAG_YRESOLUTION, &yres) && yres > 0) r.description.yResolution = yres;
    return true;
}

FaxPage FaxTiffReader::page() {
    Impl& r = *impl_;
    TIFF* t = r.tiff.get();
    FaxPage page = r.description;
    const auto stride = static_cast<std::size_t>(page.stride());
    const auto height = static_cast<std::uint32_t>(page.height);
    page.bits.assign(stride * height, 0);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(TIFFScanlineSize(t)));
    if (row.size() < stride) throw notAFax(r.name, "its rows are cut short");
    for (std::uint32_t y = 0; y < height; ++y) {
        if (TIFFReadScanline(t, row.data(), y, 0) < 0) throw notAFax(r.name, r.file.error);
        for (std::size_t k = 0; k < stride; ++k)
            page.bits[y * stride + k] = r.photometric == PHOTOMETRIC_MINISBLACK ? ~row[k] : row[k];
    }
    // Bits past the right edge of a row are no pixels.
    if (page.width % 8 != 0)
        for (std::uint32_t y = 0; y < height; ++y)
            page.bits[y * stride + stride - 1] &= static_cast<std::uint8_t>(0xFF << (8 - page.width % 8));
    return page;
}

std::vector<FaxPage> decodeFaxTiff(const std::string& bytes, const std::string& name) {
    FaxTiffReader reader(bytes, name);
    std::vector<FaxPage> pages;
    while (reader.nextPage()) pages.push_back(reader.page());
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

// The picture of `page` as a one-bit grey PNG of `height` rows, each the fax row at that height,
// black where the fax is (libpng turns the fax's 1 for black into PNG's 0 as it writes a row),
// with no row filters and zlib's quickest compression: a fax page is mostly runs of white, which
// that compresses nearly as small as the slowest does, in a fraction of the time. Only plain
// values live in this frame, since libpng leaves it by a long jump when it fails.
bool encodeBitonalPng(const FaxPage* page, int height, std::string* out, std::string* why) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, why, pngFailed, pngWarned);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_set_write_fn(png, out, appendPng, nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(page->width), static_cast<png_uint_32>(height), 1, PNG_COLOR_TYPE_GRAY,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, Z_BEST_SPEED);
    png_write_info(png, info);
    png_set_invert_mono(png);
    const auto stride = static_cast<std::size_t>(page->stride());
    for (int y = 0; y < height; ++y) {
        const int source = std::min(page->height - 1, static_cast<int>(y * page->yResolution / page->xResolution));
        png_write_row(png, page->bits.data() + static_cast<std::size_t>(source) * stride);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

std::string previewPng(const FaxPage& page) {
    // Square pixels: the picture as tall as the page is wide in proportion.
    const int height = static_cast<int>(std::lround(page.height * page.xResolution / page.yResolution));
    std::string png;
    std::string why = "no picture of that size can be made";
    if (height > 0) png.reserve(static_cast<std::size_t>(page.stride()) * static_cast<std::size_t>(height) / 8 + 1024);
    if (height <= 0 || !encodeBitonalPng(&page, height, &png, &why))
        throw RuntimeError(err::InternalError, "The preview could not be made: " + why);
    return png;
}

}  // namespace telvora::sim::output
