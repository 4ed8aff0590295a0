// Writes small JPEG files with libjpeg into the folder given as the argument: baseline and
// progressive, grey and colour, each common subsampling, with restart markers and with the
// components in separate scans. The JPEG header fuzzer's starting corpus.

#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>  // needs size_t and FILE first

struct Seed {
    const char* name;
    int components;      // 1 grey, 3 colour
    int hSampling, vSampling;  // of the first component (the others 1 x 1)
    bool progressive;
    bool separateScans;  // one scan per component, baseline
    int restartRows;
};

static bool write(const std::string& path, const Seed& s) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, out);
    c.image_width = 19;
    c.image_height = 13;
    c.input_components = s.components;
    c.in_color_space = s.components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 50, TRUE);
    c.comp_info[0].h_samp_factor = s.hSampling;
    c.comp_info[0].v_samp_factor = s.vSampling;
    c.restart_in_rows = s.restartRows;
    if (s.progressive) jpeg_simple_progression(&c);
    static jpeg_scan_info scans[3];
    if (s.separateScans) {
        for (int i = 0; i < s.components; ++i) scans[i] = {1, {i, 0, 0, 0}, 0, 63, 0, 0};
        c.scan_info = scans;
        c.num_scans = s.components;
    }
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(size_t(c.image_width) * size_t(s.components));
    while (c.next_scanline < c.image_height) {
        for (size_t i = 0; i < row.size(); ++i) row[i] = JSAMPLE((i * 13 + c.next_scanline * 29) & 0xff);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    return std::fclose(out) == 0;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_jpeg_seeds <folder>\n");
        return 2;
    }
    const Seed seeds[] = {
        {"grey", 1, 1, 1, false, false, 0},
        {"colour-444", 3, 1, 1, false, false, 0},
        {"colour-420", 3, 2, 2, false, false, 0},
        {"colour-422-restarts", 3, 2, 1, false, false, 1},
        {"colour-separate-scans", 3, 1, 1, false, true, 0},
        {"grey-progressive", 1, 1, 1, true, false, 0},
        {"colour-420-progressive", 3, 2, 2, true, false, 0},
    };
    for (const Seed& s : seeds) {
        const std::string path = std::string(argv[1]) + "/" + s.name + ".jpg";
        if (!write(path, s)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
