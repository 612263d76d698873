// vips-thumbnail-batch [--threads N] WIDTH HEIGHT SOURCE_DIR OUTPUT_DIR
//
// A peer for the bench: what a program that resizes with libvips in its own
// process does. Every picture of SOURCE_DIR (the program's eight extensions)
// goes through vips_thumbnail into WIDTH x HEIGHT, keeping its proportions,
// and is saved under the same name in the same format: JPEG at quality 100,
// TIFF uncompressed, BMP and TGA through ImageMagick, PNG and GIF with
// libvips' defaults. N threads (2 unless told) take pictures one at a time,
// each running libvips on one thread, as tarvel-batch runs its workers.
#include <vips/vips8>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

bool convert(const std::filesystem::path &source, const std::filesystem::path &target, int width, int height)
{
    const std::string extension = lower(source.extension().string());
    try {
        const vips::VImage thumbnail
            = vips::VImage::thumbnail(source.c_str(), width, vips::VImage::option()->set("height", height));
        if (extension == ".jpg" || extension == ".jpeg")
            thumbnail.jpegsave(target.c_str(), vips::VImage::option()->set("Q", 100));
        else if (extension == ".tif" || extension == ".tiff")
            thumbnail.tiffsave(target.c_str(),
                               vips::VImage::option()->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_NONE));
        else if (extension == ".bmp")
            thumbnail.magicksave(target.c_str(), vips::VImage::option()->set("format", "BMP3"));
        else if (extension == ".tga")
            thumbnail.magicksave(target.c_str(), vips::VImage::option()->set("format", "TGA"));
        else
            thumbnail.write_to_file(target.c_str());
        return true;
    } catch (const vips::VError &error) {
        std::fprintf(stderr, "%s: %s\n", source.c_str(), error.what());
        return false;
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (VIPS_INIT(argv[0]) != 0)
        return 1;
    int threads = 2;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--threads") == 0) {
        threads = std::max(1, std::atoi(argv[2]));
        first = 3;
    }
    if (argc - first != 4) {
        std::fprintf(stderr, "usage: vips-thumbnail-batch [--threads N] WIDTH HEIGHT SOURCE_DIR OUTPUT_DIR\n");
        return 2;
    }
    const int width = std::atoi(argv[first]), height = std::atoi(argv[first + 1]);
    const std::filesystem::path sources = argv[first + 2], outputs = argv[first + 3];
    std::filesystem::create_directories(outputs);
    std::vector<std::filesystem::path> files;
    for (const auto &entry : std::filesystem::directory_iterator(sources)) {
        const std::string extension = lower(entry.path().extension().string());
        const char *known[] = {".bmp", ".gif", ".jpg", ".jpeg", ".png", ".tif", ".tiff", ".tga"};
        if (entry.path().filename().string()[0] != '.'
            && std::find(std::begin(known), std::end(known), extension) != std::end(known))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    // The pictures at once share the processors, one libvips thread each.
    vips_concurrency_set(1);
    vips_cache_set_max(0);
    std::atomic<size_t> next{0};
    std::atomic<int> failed{0};
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([&] {
            for (size_t i; (i = next++) < files.size();)
                failed += !convert(files[i], outputs / files[i].filename(), width, height);
        });
    }
    for (auto &thread : pool)
        thread.join();
    vips_shutdown();
    return failed ? 1 : 0;
}
