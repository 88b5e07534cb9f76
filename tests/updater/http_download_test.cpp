// THTTPDownload against the loopback test server (http_server.py), run by netns_run.sh in a
// private network namespace where updates.quorvex.test is 127.0.0.1 and nothing else answers.
#include "download_form.h"
#include "support/scripted_services.h"
#include "support/ui_test_support.h"
#include "ui/application.h"
#include "ui/exception.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using updater::THTTPDownload;
using updater::THTTPDownloadThread;
using uitest::PumpUntil;

const std::string kServer = "http://updates.quorvex.test";

// The bytes http_server.py sends for /body?size=N.
std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i % 251);
    return bytes;
}

std::optional<std::string> Contents(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    if (!in) return std::nullopt;
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void Put(const std::string& name, const std::string& text) { std::ofstream(name, std::ios::binary) << text; }

// A file nobody holds open any more can be opened without sharing.
bool Closed(const std::string& name) {
    HANDLE file = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    CloseHandle(file);
    return true;
}

struct Progress {
    DWORD thread;
    THTTPDownloadThread* sender;
    int32_t total, readed;
};

class Download : public ::testing::Test {
protected:
    void SetUp() override {
        ui::App().Reset();
        ui::App().CreateForm(form_);
        Watch(form_->get());
    }
    void TearDown() override { ui::App().Reset(); }

    THTTPDownload& get() { return form_->get(); }

    // Records every event of `component` (progress also moves the bar). The file must be closed
    // by the time either completion event runs, since the updater opens it from its handler.
    void Watch(THTTPDownload& component) {
        component.OnProgress = [this](THTTPDownloadThread* sender, int32_t total, int32_t readed) {
            progress_.push_back({GetCurrentThreadId(), sender, total, readed});
            form_->getProgress(sender, total, readed);
        };
        component.OnDoneFile = [this, &component](THTTPDownload* sender, const std::string& name, int32_t size) {
            EXPECT_EQ(sender, &component);
            EXPECT_TRUE(component.Busy());
            ++done_;
            doneName_ = name;
            doneSize_ = size;
            closedAtEvent_ = Closed(name);
            if (afterEvent_) afterEvent_();
        };
        component.OnError = [this, &component](THTTPDownload* sender) {
            EXPECT_EQ(sender, &component);
            ++errors_;
            closedAtEvent_ = Closed(component.FileName);
            if (afterEvent_) afterEvent_();
        };
    }

    // One transfer, waited for through the message loop.
    void Fetch(const std::string& url, const std::string& file, bool binary = false) {
        get().URL = url;
        get().FileName = file;
        get().BinaryData = binary;
        get().StartDownload();
        ASSERT_TRUE(PumpUntil([&] { return !get().Busy(); }, 10000)) << "no completion for " << url;
    }
    int Events() const { return done_ + errors_; }

    Tdownload* form_ = nullptr;
    std::vector<Progress> progress_;
    int done_ = 0, errors_ = 0;
    std::string doneName_;
    int32_t doneSize_ = -1;
    bool closedAtEvent_ = false;
    std::function<void()> afterEvent_;
};

TEST(AddressSplit, PrefixHostAndPath) {
    struct Row {
        const char* url;
        const char* host;
        const char* path;
    } rows[] = {
        {"http://updates.quorvex.test/list/update.txt", "updates.quorvex.test", "/list/update.txt"},
        {"HTTP://Updates.Quorvex.Test/Update.TXT", "Updates.Quorvex.Test", "/Update.TXT"},
        {"hTtP://host/", "host", "/"},
        {"updates.quorvex.test/update.txt", "updates.quorvex.test", "/update.txt"},
        {"http://host:8080/a/b", "host:8080", "/a/b"},
        {"http://updates.quorvex.test", "", "updates.quorvex.test"},
        {"https://host/x", "https:", "//host/x"},
        {"http:/", "http:", "/"},
        {"", "", ""},
    };
    for (const Row& row : rows) {
        const updater::Address address = updater::SplitAddress(row.url);
        EXPECT_EQ(address.host, row.host) << row.url;
        EXPECT_EQ(address.path, row.path) << row.url;
    }
}

TEST(ContentLength, DecimalNumbersOnly) {
    EXPECT_EQ(updater::ParseContentLength("5000"), 5000);
    EXPECT_EQ(updater::ParseContentLength(" 42\t"), 42);
    EXPECT_EQ(updater::ParseContentLength("0"), 0);
    EXPECT_EQ(updater::ParseContentLength("-1"), -1);
    EXPECT_EQ(updater::ParseContentLength("2147483647"), 2147483647);
    EXPECT_EQ(updater::ParseContentLength("-2147483648"), INT32_MIN);
    for (const char* bad : {"", " ", "-", "abc", "12a", "0x10", "$10", "1 2", "2147483648", "99999999999999999999"})
        EXPECT_THROW(updater::ParseContentLength(bad), std::exception) << bad;
}

TEST_F(Download, StartsIdleWithTheDocumentedProperties) {
    EXPECT_EQ(get().Agent, "Fetchwell Downloader");
    EXPECT_FALSE(get().BinaryData);
    EXPECT_FALSE(get().WaitThread);
    EXPECT_TRUE(get().URL.empty() && get().FileName.empty() && get().PostQuery.empty() && get().Referer.empty());
    EXPECT_FALSE(get().Busy());
}

// Every situation for both values of BinaryData: which single event, the size it reports, and
// what becomes of a file that held "old contents" before.
TEST_F(Download, OutcomeTable) {
    enum Event { kDone, kError };
    const std::string old = "old contents";
    const std::optional<std::string> untouched = old;
    const std::string served = *Contents(QV_SERVED_DIR "update.txt");
    struct Row {
        std::string situation, url;
        bool binary;
        Event event;
        int32_t size;  // reported with OnDoneFile
        std::optional<std::string> file;
    } rows[] = {
        {"static file", kServer + "/file/update.txt", false, kDone, int32_t(served.size()), served},
        {"static file", kServer + "/file/update.txt", true, kDone, int32_t(served.size()), served},
        {"exact length, many reads", kServer + "/body?size=300000", false, kDone, 300000, Pattern(300000)},
        {"exact length, many reads", kServer + "/body?size=300000", true, kDone, 300000, Pattern(300000)},
        {"exact length, empty", kServer + "/body?size=0", true, kDone, 0, ""},
        {"dropped half way", kServer + "/body?size=3000&length=8000", false, kError, 0, Pattern(3000)},
        {"dropped half way", kServer + "/body?size=3000&length=8000", true, kError, 0, Pattern(3000)},
        {"no length, body", kServer + "/body?size=4000&length=none", false, kError, 0, Pattern(4000)},
        {"no length, body", kServer + "/body?size=4000&length=none", true, kError, 0, untouched},
        {"no length, empty body", kServer + "/body?size=0&length=none", false, kDone, 0, ""},
        {"no length, empty body", kServer + "/body?size=0&length=none", true, kError, 0, untouched},
        {"connection refused", "http://127.0.0.2/update.txt", false, kDone, 0, ""},
        {"connection refused", "http://127.0.0.2/update.txt", true, kError, 0, untouched},
        {"unknown host", "http://nowhere.quorvex.test/update.txt", false, kDone, 0, ""},
        {"unknown host", "http://nowhere.quorvex.test/update.txt", true, kError, 0, untouched},
        {"error page", kServer + "/body?size=700&status=404", false, kDone, 700, Pattern(700)},
        {"error page", kServer + "/body?size=700&status=500", true, kDone, 700, Pattern(700)},
        {"length is no number", kServer + "/body?size=100&length=abc", false, kError, 0, untouched},
        {"length is no number", kServer + "/body?size=100&length=abc", true, kError, 0, untouched},
        {"negative length", kServer + "/body?size=100&length=-5", false, kError, 0, std::nullopt},
        // Address forms: the scheme test ignores case and the host keeps it; no port is parsed,
        // no "/" leaves the host empty, https:// is no scheme at all.
        {"capital scheme", "HTTP://Updates.Quorvex.Test/body?size=10", true, kDone, 10, Pattern(10)},
        {"no scheme", "updates.quorvex.test/body?size=10", true, kDone, 10, Pattern(10)},
        {"port after host", "http://updates.quorvex.test:80/body?size=10", false, kDone, 0, ""},
        {"port after host", "http://updates.quorvex.test:80/body?size=10", true, kError, 0, untouched},
        {"no slash", "http://updates.quorvex.test", false, kDone, 0, ""},
        {"https", "https://updates.quorvex.test/body?size=10", false, kDone, 0, ""},
        {"https", "https://updates.quorvex.test/body?size=10", true, kError, 0, untouched},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.situation + (row.binary ? " (binary)" : "") + ": " + row.url);
        const std::string file = "outcome" + std::to_string(++n) + ".bin";
        Put(file, old);
        done_ = errors_ = 0;
        doneSize_ = -1;
        Fetch(row.url, file, row.binary);
        EXPECT_EQ(Events(), 1);
        EXPECT_EQ(get().Succeeded(), row.event == kDone);
        if (row.event == kDone) {
            EXPECT_EQ(done_, 1);
            EXPECT_EQ(doneName_, file);
            EXPECT_EQ(doneSize_, row.size);
        } else {
            EXPECT_EQ(errors_, 1);
        }
        EXPECT_TRUE(closedAtEvent_);
        if (row.file) {
            const std::optional<std::string> got = Contents(file);
            EXPECT_TRUE(got == row.file) << (got ? std::to_string(got->size()) + " bytes" : "no file");
        }
    }
}

// Whether WinInet hands over bytes beyond the announced length depends on how they arrive; either
// way success is reported only for a file of exactly the announced length.
TEST_F(Download, ABodyLongerThanAnnouncedIsNeverASuccessWithExtraBytes) {
    for (const bool binary : {false, true}) {
        SCOPED_TRACE(binary ? "binary" : "text");
        done_ = errors_ = 0;
        Fetch(kServer + "/body?size=3000&length=1000", "longer.bin", binary);
        ASSERT_EQ(Events(), 1);
        const std::string file = Contents("longer.bin").value_or("");
        if (done_) {
            EXPECT_EQ(doneSize_, 1000);
            EXPECT_TRUE(file == Pattern(1000)) << file.size() << " bytes";
        } else {
            EXPECT_GT(file.size(), 1000u);
            EXPECT_TRUE(file == Pattern(file.size()));
        }
    }
}

TEST_F(Download, ProgressRunsOnTheGuiThreadForEveryReadOfAtMost1025Bytes) {
    for (const bool announced : {false, true}) {
        SCOPED_TRACE(announced ? "with Content-Length" : "without Content-Length");
        progress_.clear();
        const int size = 20000;
        Fetch(kServer + "/body?size=20000&chunk=3000&delay=20" + (announced ? "" : "&length=none"), "progress.bin");
        ASSERT_GE(progress_.size(), static_cast<size_t>(size / 1025));
        int32_t before = 0;
        for (const Progress& p : progress_) {
            EXPECT_EQ(p.thread, GetCurrentThreadId());
            EXPECT_NE(p.sender, nullptr);
            EXPECT_EQ(p.total, announced ? size : 0);
            EXPECT_GT(p.readed, before);
            EXPECT_LE(p.readed - before, 1025);
            before = p.readed;
        }
        EXPECT_EQ(before, size);
        EXPECT_TRUE(Contents("progress.bin") == Pattern(size));
    }
}

// The bar keeps positions that do not change its picture to itself, and the control answers
// with them all the same; after a transfer it shows the whole body.
TEST_F(Download, ProgressBarReportsEveryPositionItWasGiven) {
    form_->Show();
    ui::TProgressBar& bar = form_->postep();
    const HWND window = bar.Handle();
    bar.SetMax(1000000);
    EXPECT_EQ(SendMessageA(window, PBM_GETRANGE, FALSE, 0), 1000000);
    for (int position = 0; position <= 30000; position += 1025) {
        bar.SetPosition(position);
        ASSERT_EQ(SendMessageA(window, PBM_GETPOS, 0, 0), position);
        ASSERT_EQ(bar.Position(), position);
    }
    bar.SetPosition(2000000);  // clamped to the range, as the control does
    EXPECT_EQ(bar.Position(), 1000000);
    bar.SetPosition(5000);
    SendMessageA(window, PBM_DELTAPOS, 100, 0);  // someone else moves it on from where it is
    EXPECT_EQ(SendMessageA(window, PBM_GETPOS, 0, 0), 5100);

    Fetch(kServer + "/body?size=70000", "bar.bin");
    EXPECT_EQ(bar.Max(), 70000);
    EXPECT_EQ(SendMessageA(window, PBM_GETPOS, 0, 0), 70000);
}

TEST_F(Download, RequestAsTheServerReceivesIt) {
    const std::string body("name=Quorvex&build=7\0tail", 25);
    get().PostQuery = body;
    get().Referer = "http://referrer.quorvex.test/page";
    Fetch(kServer + "/echo", "post.json");
    const std::string post = Contents("post.json").value_or("");
    EXPECT_NE(post.find(R"("method": "POST", "target": "/echo", "version": "HTTP/1.0")"), std::string::npos) << post;
    EXPECT_NE(post.find(R"("body": "name=Quorvex&build=7\u0000tail")"), std::string::npos) << post;
    EXPECT_NE(post.find(R"(["User-Agent", "Fetchwell Downloader"])"), std::string::npos) << post;
    EXPECT_NE(post.find(R"(["Referer", "http://referrer.quorvex.test/page"])"), std::string::npos) << post;
    EXPECT_NE(post.find(R"(["Content-Length", "25"])"), std::string::npos) << post;

    get().PostQuery.clear();
    get().Referer.clear();
    get().Agent.clear();
    Fetch("HTTP://Updates.Quorvex.Test/echo?x=1", "get.json");
    const std::string plain = Contents("get.json").value_or("");
    EXPECT_NE(plain.find(R"("method": "GET", "target": "/echo?x=1", "version": "HTTP/1.0")"), std::string::npos)
        << plain;
    EXPECT_EQ(plain.find("Fetchwell Downloader"), std::string::npos) << plain;
    EXPECT_NE(plain.find(R"("body": "")"), std::string::npos) << plain;
}

TEST_F(Download, ASecondStartWhileRunningStartsNothingAndChangedPropertiesDoNotReachTheTransfer) {
    get().URL = kServer + "/body?size=6000&chunk=1000&delay=100";
    get().FileName = "first.bin";
    get().StartDownload();
    ASSERT_TRUE(get().Busy());
    get().URL = kServer + "/body?size=10";
    get().FileName = "second.bin";
    get().BinaryData = true;
    get().StartDownload();
    ASSERT_TRUE(PumpUntil([&] { return !get().Busy(); }, 10000));
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(done_, 1);
    EXPECT_EQ(errors_, 0);
    EXPECT_EQ(doneName_, "first.bin");
    EXPECT_TRUE(Contents("first.bin") == Pattern(6000));
    EXPECT_FALSE(Contents("second.bin"));
}

TEST_F(Download, BusyUntilTheCompletionHandlerReturnsThenFreeAgain) {
    int startsInHandler = 0;
    afterEvent_ = [&] {
        if (startsInHandler++) return;
        get().FileName = "from-handler.bin";
        get().StartDownload();
        EXPECT_TRUE(get().Busy());
    };
    Fetch(kServer + "/body?size=10", "first.bin");
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(Events(), 1);
    EXPECT_FALSE(Contents("from-handler.bin"));

    Fetch(kServer + "/body?size=20", "again.bin");
    EXPECT_EQ(done_, 2);
    EXPECT_TRUE(Contents("again.bin") == Pattern(20));
}

TEST_F(Download, WaitThreadReturnsAfterTheCompletionEventHasRun) {
    get().WaitThread = true;
    get().URL = kServer + "/body?size=5000&chunk=1000&delay=50";
    get().FileName = "waited.bin";
    get().StartDownload();
    EXPECT_EQ(done_, 1);
    EXPECT_FALSE(get().Busy());
    EXPECT_FALSE(progress_.empty());
    EXPECT_TRUE(Contents("waited.bin") == Pattern(5000));
}

TEST_F(Download, AFileThatCannotBeCreatedEndsInOnError) {
    for (const bool binary : {false, true}) {
        errors_ = done_ = 0;
        Fetch(kServer + "/body?size=100", "no-such-dir\\file.bin", binary);
        EXPECT_EQ(errors_, 1);
        EXPECT_EQ(done_, 0);
    }
    // The same component goes on working.
    Fetch(kServer + "/body?size=100", "file.bin");
    EXPECT_EQ(done_, 1);
}

TEST_F(Download, ThrowingProgressHandlerEndsTheTransferAsAFailure) {
    get().OnProgress = [](THTTPDownloadThread*, int32_t, int32_t) { throw std::runtime_error("no progress"); };
    Fetch(kServer + "/body?size=5000", "thrown.bin");
    EXPECT_EQ(errors_, 1);
    EXPECT_EQ(done_, 0);
    EXPECT_TRUE(closedAtEvent_);
}

TEST_F(Download, DestroyedComponentGetsNoEventsAndItsTransferStops) {
    const int size = 200000;
    get().URL = kServer + "/body?size=200000&chunk=4000&delay=40";  // about two seconds
    get().FileName = "abandoned.bin";
    get().StartDownload();
    ASSERT_TRUE(PumpUntil([&] { return !progress_.empty(); }, 10000));
    ui::App().Reset();  // the form and its downloader go
    const size_t seen = progress_.size();
    PumpUntil([] { return false; }, 1500);
    EXPECT_EQ(progress_.size(), seen);
    EXPECT_EQ(Events(), 0);
    const size_t written = Contents("abandoned.bin").value_or("").size();
    EXPECT_LT(written, static_cast<size_t>(size));
    PumpUntil([] { return false; }, 500);
    EXPECT_EQ(Contents("abandoned.bin").value_or("").size(), written) << "the worker still writes";
}

// Runs this program again with one disabled test; returns its exit code, or -1 after `ms`.
int RunChild(const char* test, DWORD ms, DWORD* elapsed) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = std::string("\"") + self + "\" --gtest_also_run_disabled_tests --gtest_filter=" + test;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -2;
    const DWORD start = GetTickCount();
    const bool ended = WaitForSingleObject(process.hProcess, ms) == WAIT_OBJECT_0;
    *elapsed = GetTickCount() - start;
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    if (!ended) TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return ended ? static_cast<int>(code) : -1;
}

// The updater's "Exit" during a download: the loop ends, the forms go, the program returns.
TEST(ChildProcess, DISABLED_ExitDuringATransfer) {
    Tdownload* form = nullptr;
    ui::App().CreateForm(form);
    form->Show();
    THTTPDownload& get = form->get();
    get.URL = kServer + "/body?size=2000000&chunk=10000&delay=50";  // ten seconds and more
    get.FileName = "exit.bin";
    get.OnProgress = [&](THTTPDownloadThread* sender, int32_t total, int32_t readed) {
        form->getProgress(sender, total, readed);
        if (readed > 20000) ui::App().Terminate();
    };
    get.OnDoneFile = [](THTTPDownload*, const std::string&, int32_t) { ExitProcess(3); };
    get.OnError = [](THTTPDownload*) { ExitProcess(4); };
    get.StartDownload();
    ui::App().Run();
    ui::App().DestroyForms();
}

TEST(ChildProcess, ExitDuringATransferEndsTheProgramAtOnce) {
    DWORD elapsed = 0;
    EXPECT_EQ(RunChild("ChildProcess.DISABLED_ExitDuringATransfer", 8000, &elapsed), 0);
    EXPECT_LT(elapsed, 5000u);
}

// An error escaping a completion handler ends the process as one escaping the worker would:
// the updater relies on it when the package it downloaded is no archive.
TEST(ChildProcess, DISABLED_CompletionHandlerThrows) {
    testsupport::ScriptedServices services;
    services.onMessage = [](const testsupport::ScriptedServices::MessageCall& call) {
        std::ofstream("handler-report.txt") << call.caption << "|" << call.text;
    };
    Tdownload* form = nullptr;
    ui::App().CreateForm(form);
    THTTPDownload& get = form->get();
    get.URL = kServer + "/body?size=10";
    get.FileName = "thrown.bin";
    get.OnDoneFile = [](THTTPDownload*, const std::string&, int32_t) {
        throw ui::Exception("Archive is corrupted", "EZipMaster");
    };
    get.StartDownload();
    ui::App().Run();  // ended by the worker
}

TEST(ChildProcess, AnErrorEscapingACompletionHandlerEndsTheProcessWithCode1) {
    DeleteFileA("handler-report.txt");
    DWORD elapsed = 0;
    EXPECT_EQ(RunChild("ChildProcess.DISABLED_CompletionHandlerThrows", 15000, &elapsed), 1);
    EXPECT_EQ(Contents("handler-report.txt"), "Application Error|EZipMaster: Archive is corrupted.");
}

}  // namespace
