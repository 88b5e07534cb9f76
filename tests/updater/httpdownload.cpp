// httpdownload URL FILE [--binary] [--no-bar]
// Runs one transfer through THTTPDownload in a window whose progress bar follows it, then prints
// the completion event, the size of FILE, the transfer time and the rate. --no-bar keeps the
// progress hand-off but leaves the bar alone. Exit status: 0 after OnDoneFile, 1 after OnError,
// 2 on a usage error.
#include "download_form.h"
#include "ui/application.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

long long FileSize(const std::string& name) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: httpdownload URL FILE [--binary] [--no-bar]\n");
        return 2;
    }
    bool binary = false, bar = true;
    for (int i = 3; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--binary")) {
            binary = true;
        } else if (!std::strcmp(argv[i], "--no-bar")) {
            bar = false;
        } else {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
    }

    Tdownload* form = nullptr;
    ui::App().CreateForm(form);
    form->Show();
    updater::THTTPDownload& get = form->get();
    get.URL = argv[1];
    get.FileName = argv[2];
    get.BinaryData = binary;
    long progressEvents = 0;
    get.OnProgress = [&](updater::THTTPDownloadThread* sender, int32_t total, int32_t readed) {
        ++progressEvents;
        if (bar) form->getProgress(sender, total, readed);
    };

    LARGE_INTEGER start, end;
    int status = 1;
    get.OnDoneFile = [&](updater::THTTPDownload*, const std::string& name, int32_t size) {
        QueryPerformanceCounter(&end);
        std::printf("event: OnDoneFile FileName=%s FileSize=%ld\n", name.c_str(), static_cast<long>(size));
        status = 0;
        ui::App().Terminate();
    };
    get.OnError = [&](updater::THTTPDownload*) {
        QueryPerformanceCounter(&end);
        std::printf("event: OnError\n");
        ui::App().Terminate();
    };
    QueryPerformanceCounter(&start);
    get.StartDownload();
    ui::App().Run();

    const double seconds = Seconds(start, end);
    const long long size = FileSize(argv[2]);
    if (size < 0)
        std::printf("file: missing\n");
    else
        std::printf("file: %lld bytes\n", size);
    std::printf("progress events: %ld\n", progressEvents);
    std::printf("time: %.3f s\n", seconds);
    if (size > 0 && seconds > 0) std::printf("rate: %.2f MiB/s\n", static_cast<double>(size) / 1048576.0 / seconds);
    std::fflush(stdout);
    ui::App().DestroyForms();
    return status;
}
