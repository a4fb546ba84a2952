// Rendering fax pages with Cairo, and TIFF Class F through libtiff, in memory.
#include "sim/output/fax_image.h"

#include <cairo.h>
#include <tiffio.h>

#include <algorithm>
#include <array>
#include <bit>
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

std::string previewPng(const FaxPage& page) {
    // A one-bit picture: Cairo writes it as a black-and-white PNG, small and quick to make. Its
    // pixels are opaque (white) where the fax is white, and come first in the lowest bit on this
    // machine, where the fax's come first in the highest.
    static constexpr auto reversed = [] {
        std::array<std::uint8_t, 256> table{};
        for (int b = 0; b < 256; ++b) {
            int r = 0;
            for (int k = 0; k < 8; ++k) r |= ((b >> k) & 1) << (7 - k);
            table[b] = static_cast<std::uint8_t>(r);
        }
        return table;
    }();
    const bool lowBitFirst = std::endian::native == std::endian::little;
    const int height = static_cast<int>(std::lround(page.height * page.xResolution / page.yResolution));
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_A1, page.width, height));
    cairo_surface_flush(surface.get());
    auto* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < height; ++y) {
        const int source = std::min(page.height - 1, static_cast<int>(y * page.yResolution / page.xResolution));
        const std::uint8_t* in = page.bits.data() + static_cast<std::size_t>(source) * page.stride();
        auto* row = data + static_cast<std::size_t>(y) * stride;
        for (int b = 0; b < page.stride(); ++b) {
            const auto white = static_cast<std::uint8_t>(~in[b]);
            row[b] = lowBitFirst ? reversed[white] : white;
        }
    }
    cairo_surface_mark_dirty(surface.get());
    std::string png;
    const auto status = cairo_surface_write_to_png_stream(
        surface.get(),
        [](void* closure, const unsigned char* bytes, unsigned int length) {
            static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(bytes), length);
            return CAIRO_STATUS_SUCCESS;
        },
        &png);
    if (status != CAIRO_STATUS_SUCCESS)
        throw RuntimeError(err::InternalError, std::string("The preview could not be made: ") + cairo_status_to_string(status));
    return png;
}

}  // namespace telvora::sim::output
