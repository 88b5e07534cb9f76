#include "download_form.h"

const ui::FormSpec Tdownload::kForm = {
    .className = "Tdownload",
    .caption = "Download",
    .clientWidth = 384,
    .clientHeight = 320,
    .border = ui::BorderStyle::Single,
    .borderIcons = 0,
    .position = ui::FormPosition::ScreenCenter,
};

const ui::ControlSpec Tdownload::kLayout[] = {
    ui::Label("Label12", {40, 256}, "Download progress:"),
    ui::ProgressBar("postep", {40, 272, 305, 17}).Range(0, 100),
    ui::Custom<updater::THTTPDownload, Tdownload>("get", [](Tdownload& form, updater::THTTPDownload& get) {
        get.OnProgress = [&form](updater::THTTPDownloadThread* sender, int32_t total, int32_t readed) {
            form.getProgress(sender, total, readed);
        };
    }),
};

Tdownload::Tdownload(ui::Form* owner) : ui::Form(owner, kForm, kLayout) {}

void Tdownload::getProgress(updater::THTTPDownloadThread*, int32_t TotalSize, int32_t Readed) {
    postep().SetMax(TotalSize);
    postep().SetPosition(Readed);
}
