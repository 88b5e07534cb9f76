#include "updater/http_download.h"

#include "common/handles.h"
#include "common/system_services.h"
#include "ui/application.h"
#include "ui/exception.h"
#include "ui/form.h"

#include <wininet.h>

#include <climits>
#include <cstring>

namespace updater {

namespace {

// Reads arrive in blocks of at most this many bytes; the header text goes through a buffer of
// kHeaderBufferSize bytes.
constexpr DWORD kReadSize = 1025;
constexpr DWORD kHeaderBufferSize = 1024;

// Writes one received block through to the local file.
void WriteBlock(const common::File& file, const std::string& name, const char* data, DWORD size) {
    DWORD written = 0;
    if (!WriteFile(file.Get(), data, size, &written, nullptr) || written != size)
        throw ui::Exception("Cannot write to file " + name, "EWriteError");
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A proxy's user name and password as the person last gave them; read and written on the GUI
// thread only (a worker takes a copy when it is made).
struct ProxyLogin {
    std::string user, password;
};
ProxyLogin& KnownProxyLogin() {
    static ProxyLogin login;
    return login;
}

std::string QueryText(HINTERNET handle, DWORD option) {
    char text[256] = {};
    DWORD size = sizeof(text) - 1;
    if (!InternetQueryOptionA(handle, option, text, &size)) return "";
    return std::string(text, strnlen(text, sizeof(text) - 1));
}

DWORD StatusCode(HINTERNET request) {
    DWORD status = 0, size = sizeof(status), index = 0;
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, &index)) return 0;
    return status;
}

// What is left of a response, read and dropped, so the request can be sent again.
void Drain(HINTERNET request) {
    char buffer[1024];
    DWORD received = 0;
    while (InternetReadFile(request, buffer, sizeof(buffer), &received) && received > 0) {
    }
}

}  // namespace

Address SplitAddress(const std::string& url) {
    std::string rest = url;
    static const char kScheme[] = "http://";
    bool prefixed = rest.size() >= 7;
    for (size_t i = 0; prefixed && i < 7; ++i) {
        char c = rest[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        prefixed = c == kScheme[i];
    }
    if (prefixed) rest.erase(0, 7);
    const size_t slash = rest.find('/');
    if (slash == std::string::npos) return {"", rest};
    return {rest.substr(0, slash), rest.substr(slash)};
}

int32_t ParseContentLength(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    bool negative = false;
    if (begin < end && (text[begin] == '+' || text[begin] == '-')) negative = text[begin++] == '-';
    if (begin == end) throw ui::Exception("'" + text + "' is not a valid integer value", "EConvertError");
    int64_t value = 0;
    for (size_t i = begin; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9' || value > INT32_MAX + int64_t{1})
            throw ui::Exception("'" + text + "' is not a valid integer value", "EConvertError");
        value = value * 10 + (text[i] - '0');
    }
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        throw ui::Exception("'" + text + "' is not a valid integer value", "EConvertError");
    return static_cast<int32_t>(value);
}

// ---- THTTPDownload ----

THTTPDownload::THTTPDownload(ui::Form& owner, std::string name)
    : ui::Component(owner, std::move(name)), Agent("Fetchwell Downloader") {}

THTTPDownload::~THTTPDownload() {
    if (running_) running_->Abandon();
}

void THTTPDownload::StartDownload() {
    if (running_) return;
    auto* worker = new THTTPDownloadThread(*this);
    worker->FreeOnTerminate = true;
    running_ = worker;
    try {
        worker->Start();
    } catch (...) {
        running_ = nullptr;
        delete worker;
        throw;
    }
    if (!WaitThread) return;
    // Messages, the worker's hand-offs among them, are handled until the completion step has run.
    while (running_ == worker) {
        ui::App().ProcessMessages();
        if (running_ == worker) MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
    }
}

// ---- THTTPDownloadThread ----

THTTPDownloadThread::THTTPDownloadThread(THTTPDownload& owner)
    : owner_(&owner),
      agent_(owner.Agent),
      url_(owner.URL),
      fileName_(owner.FileName),
      userName_(owner.UserName),
      password_(owner.Password),
      postQuery_(owner.PostQuery),
      referer_(owner.Referer),
      binaryData_(owner.BinaryData),
      proxyPrompt_(owner.ProxyPrompt),
      onProgress_(owner.OnProgress),
      proxyUser_(KnownProxyLogin().user),
      proxyPassword_(KnownProxyLogin().password),
      progressCall_([this] { Progress(); }),
      completionCall_([this] { Completion(); }) {}

THTTPDownloadThread::~THTTPDownloadThread() = default;

void THTTPDownloadThread::Abandon() {
    owner_ = nullptr;
    InterlockedExchange(&abandoned_, 1);
}

void THTTPDownloadThread::Execute() {
    try {
        outcome_ = Run();
    } catch (...) {
        // The file could not be written or the announced length is no number: the transfer
        // failed, and every handle has been closed on the way out.
        outcome_ = false;
    }
    // An exception from OnDoneFile or OnError comes back here and ends the process.
    if (!Abandoned()) Synchronize(completionCall_);
}

bool THTTPDownloadThread::Run() {
    const Address address = SplitAddress(url_);
    // WinInet's handles are not tested: after a failed step the later calls fail on the null
    // handle, and the run goes on with no header and no data. Closing order follows from
    // declaration order (last opened, first closed).
    const common::InternetHandle session(
        InternetOpenA(agent_.empty() ? nullptr : agent_.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    const common::InternetHandle connection(InternetConnectA(session.Get(), address.host.c_str(),
                                                             INTERNET_DEFAULT_HTTP_PORT, userName_.c_str(),
                                                             password_.c_str(), INTERNET_SERVICE_HTTP, 0, 0));
    const common::InternetHandle request(HttpOpenRequestA(connection.Get(), postQuery_.empty() ? "GET" : "POST",
                                                          address.path.c_str(), "HTTP/1.0", referer_.c_str(), nullptr,
                                                          INTERNET_FLAG_RELOAD, 0));
    // WinInet answers a proxy's 407 itself once it has a user name and password for it.
    if (!proxyUser_.empty()) {
        InternetSetOptionA(request.Get(), INTERNET_OPTION_PROXY_USERNAME, proxyUser_.data(), proxyUser_.size());
        InternetSetOptionA(request.Get(), INTERNET_OPTION_PROXY_PASSWORD, proxyPassword_.data(), proxyPassword_.size());
    }
    const auto send = [&] {
        HttpSendRequestA(request.Get(), nullptr, 0, postQuery_.empty() ? nullptr : const_cast<char*>(postQuery_.data()),
                         static_cast<DWORD>(postQuery_.size()));
    };
    send();
    if (proxyPrompt_ && StatusCode(request.Get()) == HTTP_STATUS_PROXY_AUTH_REQ) {
        // Nothing is written before the person has answered; a cancelled prompt leaves the file alone.
        if (!AskForProxyLogin(request.Get())) return false;
        send();
    }

    char header[kHeaderBufferSize];
    DWORD headerLength = kHeaderBufferSize;
    DWORD index = 0;
    const bool announced =
        HttpQueryInfoA(request.Get(), HTTP_QUERY_CONTENT_LENGTH, header, &headerLength, &index) != FALSE;
    // Without a length a binary transfer is not read at all, and the file is left alone.
    if (!announced && binaryData_) return false;
    if (announced) {
        const DWORD length = headerLength < kHeaderBufferSize ? headerLength : 0;
        announced_ = ParseContentLength(std::string(header, length));
    }

    // The local file receives the body, written through as each block arrives.
    const common::File file(CreateFileA(fileName_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw ui::Exception("Cannot create file " + fileName_, "EFCreateError");
    char buffer[kReadSize];
    for (;;) {
        DWORD received = 0;
        if (!InternetReadFile(request.Get(), buffer, kReadSize, &received) || received == 0) break;
        WriteBlock(file, fileName_, buffer, received);
        total_ += received;
        if (Abandoned()) return false;
        if (onProgress_) Synchronize(progressCall_);
    }
    // Wide comparison: a negative announced size never matches.
    return int64_t{announced_} == total_;
}

bool THTTPDownloadThread::AskForProxyLogin(HINTERNET request) {
    Drain(request);
    DWORD answer = ERROR_CANCELLED;
    Synchronize([&] {
        if (!owner_) return;
        answer = common::Services().InternetErrorDlg(
            owner_->Owner().Handle(), request, ERROR_INTERNET_INCORRECT_PASSWORD,
            FLAGS_ERROR_UI_FILTER_FOR_ERRORS | FLAGS_ERROR_UI_FLAGS_GENERATE_DATA | FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS);
        if (answer == ERROR_INTERNET_FORCE_RETRY)
            KnownProxyLogin() = {QueryText(request, INTERNET_OPTION_PROXY_USERNAME),
                                 QueryText(request, INTERNET_OPTION_PROXY_PASSWORD)};
    });
    proxyCancelled_ = answer != ERROR_INTERNET_FORCE_RETRY;
    return !proxyCancelled_;
}

void THTTPDownloadThread::Progress() {
    if (!owner_) return;
    onProgress_(this, announced_, total_ > INT32_MAX ? INT32_MAX : static_cast<int32_t>(total_));
}

void THTTPDownloadThread::Completion() {
    THTTPDownload* owner = owner_;
    if (!owner) return;
    owner->succeeded_ = outcome_;
    owner->proxyCancelled_ = proxyCancelled_;
    // The component stays busy while its handler runs; a handler may also destroy it, which
    // clears owner_.
    struct Idle {
        THTTPDownloadThread& worker;
        ~Idle() {
            if (worker.owner_) worker.owner_->running_ = nullptr;
            worker.owner_ = nullptr;
        }
    } idle{*this};
    if (outcome_) {
        if (owner->OnDoneFile) owner->OnDoneFile(owner, fileName_, announced_);
    } else if (owner->OnError) {
        owner->OnError(owner);
    }
}

}  // namespace updater
