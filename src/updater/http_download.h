#pragma once
// THTTPDownload: a non-visual component that fetches one HTTP resource into a local file on a
// worker thread (THTTPDownloadThread), through WinInet. Progress and the single completion event
// (OnDoneFile on success, OnError on failure) are delivered on the GUI thread; the worker waits for
// each of them before it goes on.
#include "ui/component.h"
#include "ui/thread.h"

#include <cstdint>
#include <functional>
#include <string>

namespace updater {

class THTTPDownload;
class THTTPDownloadThread;

using TOnProgressEvent = std::function<void(THTTPDownloadThread* Sender, int32_t TotalSize, int32_t Readed)>;
using TOnDoneFileEvent = std::function<void(THTTPDownload* Sender, const std::string& FileName, int32_t FileSize)>;
using TOnDoneStringEvent = std::function<void(THTTPDownload* Sender, const std::string& Result)>;
using TNotifyEvent = std::function<void(THTTPDownload* Sender)>;

// Host and path of an address: an "http://" prefix (in any case) is dropped, the host runs up to the
// first "/", the path is the rest including that "/". Without a "/" the host is empty and the path
// is the whole text. Ports and other schemes are not recognised.
struct Address {
    std::string host;
    std::string path;
};
Address SplitAddress(const std::string& url);

// The Content-Length header text as a 32-bit signed number: optional blanks around an optionally
// signed run of decimal digits. Anything else, or a value out of range, throws.
int32_t ParseContentLength(const std::string& text);

class THTTPDownload : public ui::Component {
public:
    THTTPDownload(ui::Form& owner, std::string name);
    // A transfer still running is abandoned: it stops at its next read and delivers no more events.
    ~THTTPDownload() override;

    // Published properties, in their declared order. A transfer works on copies taken when it
    // starts; OnDoneFile and OnError are read when it ends.
    std::string Agent;  // user agent of the WinInet session; empty: none
    bool BinaryData = false;  // a response without Content-Length is not read and the transfer fails
    std::string URL;
    std::string FileName;  // receives the response body; created or truncated
    std::string UserName;
    std::string Password;
    std::string PostQuery;  // not empty: the request is a POST with exactly these bytes as body
    std::string Referer;
    bool WaitThread = false;  // StartDownload returns only after the completion event has run
    // A proxy that asks for a user name and password (407) gets WinInet's prompt, on the GUI thread,
    // once per transfer; what the person gives serves every later transfer of the process. Off, a
    // 407 is answered as any other response.
    bool ProxyPrompt = false;
    TOnProgressEvent OnProgress;
    TOnDoneFileEvent OnDoneFile;
    TOnDoneStringEvent OnDoneString;  // declared for text transfers, which nothing starts
    TNotifyEvent OnError;

    // Starts one transfer of URL into FileName; ignored while a transfer of this component runs,
    // which includes the time its OnDoneFile or OnError handler runs.
    void StartDownload();

    bool Busy() const { return running_ != nullptr; }
    // The outcome of the last completed transfer.
    bool Succeeded() const { return succeeded_; }
    // The last transfer failed because the person cancelled the proxy's prompt.
    bool ProxyCancelled() const { return proxyCancelled_; }

private:
    friend class THTTPDownloadThread;
    // The completion step, on the GUI thread.
    void Complete(THTTPDownloadThread& worker);

    THTTPDownloadThread* running_ = nullptr;
    bool succeeded_ = false;
    bool proxyCancelled_ = false;
};

// The worker of one transfer. It frees itself once its completion step has run.
class THTTPDownloadThread : public ui::Thread {
public:
    ~THTTPDownloadThread() override;

protected:
    void Execute() override;

private:
    friend class THTTPDownload;
    explicit THTTPDownloadThread(THTTPDownload& owner);
    // The transfer itself; returns the outcome. Throws when the file cannot be written or the
    // announced length is no number.
    bool Run();
    void Progress();
    void Completion();
    // The proxy answered 407: the person is asked (on the GUI thread); true when the request may be
    // sent again with what they gave.
    bool AskForProxyLogin(HINTERNET request);
    // Called by the destroyed component on the GUI thread.
    void Abandon();
    bool Abandoned() const { return abandoned_ != 0; }

    THTTPDownload* owner_;  // GUI thread only; null once the component is gone
    volatile LONG abandoned_ = 0;

    // Copies taken at the start.
    const std::string agent_, url_, fileName_, userName_, password_, postQuery_, referer_;
    const bool binaryData_;
    const bool proxyPrompt_;
    const TOnProgressEvent onProgress_;
    std::string proxyUser_, proxyPassword_;  // what an earlier prompt of the process was given
    bool proxyCancelled_ = false;

    int32_t announced_ = 0;  // from Content-Length; 0 when there is none
    int64_t total_ = 0;  // wide, so that no body length can wrap around to the announced size
    bool outcome_ = false;

    // Built once, so that a hand-off per read costs no allocation.
    const std::function<void()> progressCall_;
    const std::function<void()> completionCall_;
};

}  // namespace updater
