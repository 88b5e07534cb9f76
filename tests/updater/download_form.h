#pragma once
// A small window with a downloader and a progress bar that follows it as the updater's window does
// (maximum = announced size, position = bytes so far), for the tests and the command-line tool.
#include "ui/form.h"
#include "updater/http_download.h"

class Tdownload : public ui::Form {
public:
    explicit Tdownload(ui::Form* owner);

    void getProgress(updater::THTTPDownloadThread* Sender, int32_t TotalSize, int32_t Readed);

    updater::THTTPDownload& get() { return Find<updater::THTTPDownload>("get"); }
    ui::TProgressBar& postep() { return Find<ui::TProgressBar>("postep"); }

    static const ui::FormSpec kForm;
    static const ui::ControlSpec kLayout[];
};
