// The reference for the downloader's throughput: the same WinInet calls and 1025-byte reads, each
// written to the file at once, on the main thread and with no hand-off to anybody.
// wininet_loop http://HOST/PATH FILE
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: wininet_loop http://HOST/PATH FILE\n");
        return 2;
    }
    std::string url = argv[1];
    if (url.compare(0, 7, "http://") == 0) url.erase(0, 7);
    const size_t slash = url.find('/');
    const std::string host = url.substr(0, slash), path = slash == std::string::npos ? "/" : url.substr(slash);

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    HINTERNET session = InternetOpenA("Fetchwell Downloader", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET connection =
        InternetConnectA(session, host.c_str(), INTERNET_DEFAULT_HTTP_PORT, "", "", INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET request =
        HttpOpenRequestA(connection, "GET", path.c_str(), "HTTP/1.0", "", nullptr, INTERNET_FLAG_RELOAD, 0);
    HttpSendRequestA(request, nullptr, 0, nullptr, 0);
    char header[1024];
    DWORD length = sizeof(header), index = 0;
    HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, header, &length, &index);
    HANDLE file = CreateFileA(argv[2], GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    char buffer[1025];
    DWORD received = 0, written = 0;
    long long total = 0, reads = 0;
    while (InternetReadFile(request, buffer, sizeof(buffer), &received) && received) {
        WriteFile(file, buffer, received, &written, nullptr);
        total += received;
        ++reads;
    }
    CloseHandle(file);
    InternetCloseHandle(request);
    InternetCloseHandle(connection);
    InternetCloseHandle(session);
    QueryPerformanceCounter(&end);
    const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::printf("file: %lld bytes\nreads: %lld\ntime: %.3f s\n", total, reads, seconds);
    if (seconds > 0) std::printf("rate: %.2f MiB/s\n", static_cast<double>(total) / 1048576.0 / seconds);
    return total > 0 ? 0 : 1;
}
