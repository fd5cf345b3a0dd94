#include "playback/image_getter.h"

#include <cmath>
#include <filesystem>

#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "core/base/text_utils.h"
#include "playback/picture_decoders.h"
#include "playback/smooth_resize.h"

namespace tunecrest {

// ---- worker ----

TgetImageThread::TgetImageThread(TimageGetter* owner, Trequest request)
    : Fowner(owner), Frequest(std::move(request)) {}

TgetImageThread::~TgetImageThread() {
    Terminate();
    if (Fthread.joinable()) Fthread.join();
}

void TgetImageThread::Start() {
    Fthread = std::thread([this] {
        try {
            Execute();
        } catch (const std::exception& e) {
            LogError(std::string("Image getter: ") + e.what());
        }
        Fended = true;
    });
}

void TgetImageThread::Report(const std::string& text, int percent) {
    if (Terminated() || (text == FstatusText && percent == Fpercent)) return;
    FstatusText = text;
    Fpercent = percent;
    // The call may be abandoned when the worker is stopped; it then never runs, and it
    // touches nothing of the worker after handing the values over.
    TimageGetter* owner = Fowner;
    Dispatcher().Synchronize([owner, worker = this, text, percent] { owner->WorkerProgress(worker, text, percent); },
                             &Fterminated);
}

TencodedPicture TgetImageThread::Load() {
    TencodedPicture loaded;
    const std::string& source = Frequest.Source;
    const size_t scheme = StartsText("http://", source) ? 7 : StartsText("https://", source) ? 8 : 0;
    if (scheme > 0 && source.size() > scheme) {
        const std::string url =
            Frequest.AddressEncoded ? source : source.substr(0, scheme) + EncodeAddress(source.substr(scheme));
        ThttpAnswer answer;
        const bool ok = HttpGet(url, Frequest.Limits, answer, [this](int64_t done, int64_t total) {
            if (Terminated()) return false;
            const int percent = total > 0 ? int(std::lround(double(done) / double(total) * 100)) : 0;
            Report(Format("Downloading...%d%%", percent), percent);
            return !Terminated();
        });
        if (!ok || Terminated()) return loaded;
        // Media types are compared without their parameters and without regard to case.
        const std::string type = Trim(answer.ContentType.substr(0, answer.ContentType.find(';')));
        if (SameText(type, "image/bmp")) {
            loaded.Format = pfBmp;
        } else if (StartsText("image", type)) {
            Report("Loading...", Fpercent);
            loaded.Format = pfJpeg;
        }
        if (loaded.Format != pfNone) loaded.Bytes = std::move(answer.Body);
        return loaded;
    }
    std::error_code ec;
    if (!source.empty() && std::filesystem::is_regular_file(source, ec)) {
        const std::string ext = std::filesystem::path(source).extension().string();
        const TpictureFormat format = SameText(ext, ".bmp") ? pfBmp : SameText(ext, ".jpg") ? pfJpeg : pfNone;
        if (format != pfNone && ReadFileBytes(source, loaded.Bytes, nullptr, uint64_t(Frequest.Limits.MaxBytes)))
            loaded.Format = format;
        return loaded;
    }
    if (Frequest.Cover && Frequest.Cover->Track) {
        const TcoverRequest& cover = *Frequest.Cover;
        TcoverPicture found;
        if (cover.Track->LoadCoverImage(found, cover.CoverFileFirst, cover.CoverUseEmbedded, cover.CoverFolder,
                                        cover.CoverFolderOnly)) {
            // Embedded pictures are JPEG; cover files are read by their extension.
            const std::string ext = std::filesystem::path(found.FileName).extension().string();
            loaded.Format = SameText(ext, ".bmp") ? pfBmp : pfJpeg;
            loaded.Bytes = std::move(found.Bytes);
        }
    }
    return loaded;
}

void TgetImageThread::Fit(const Tbitmap& picture) {
    const TpictureSize size =
        FitPictureSize(picture.Width(), picture.Height(), Frequest.Rect.Width(), Frequest.Rect.Height());
    // An empty rectangle (or picture) gives an empty result without resampling.
    if (size.Width <= 0 || size.Height <= 0) return;
    Report("Resizing...", 0);
    if (Terminated()) return;
    Fresult.SetSize(size.Width, size.Height);
    if (Frequest.Enlarge || picture.Width() > size.Width || picture.Height() > size.Height) {
        SmoothResize(picture, Fresult, [this](int percent) { Report("Resizing...", percent); });
    } else {
        Fresult.Draw(picture, (size.Width - picture.Width()) / 2, (size.Height - picture.Height()) / 2);
    }
}

void TgetImageThread::Execute() {
    TencodedPicture loaded = Load();
    if (Terminated()) return;
    Tbitmap picture;
    std::string error;
    if (loaded.Format == pfJpeg) {
        Report("Decompressing...", 0);
        if (Terminated()) return;
        DecodeJpeg(loaded.Bytes, picture, &error);
    } else if (loaded.Format == pfBmp) {
        DecodeBmp(loaded.Bytes, picture, &error);
    }
    loaded.Bytes.clear();
    if (Terminated()) return;
    if (!picture.Empty()) Fit(picture);
    if (Terminated()) return;
    TimageGetter* owner = Fowner;
    Dispatcher().Synchronize([owner, worker = this] { owner->WorkerDone(worker); }, &Fterminated);
}

// ---- getter ----

TimageGetter::TimageGetter() = default;

TimageGetter::~TimageGetter() {
    Fdestroying = true;
    Cancel();
    for (auto& worker : Fworkers) worker->Terminate();
    Fworkers.clear();  // each waits for its thread
}

void TimageGetter::GetImage(const std::string& source) {
    Fsource = source;
    StartRequest(nullptr);
}

void TimageGetter::GetCoverImage(const TaudioTagPtr& track) {
    Fsource.clear();
    StartRequest(track);
}

void TimageGetter::StartRequest(const TaudioTagPtr& track) {
    Cancel();
    Fpicture.Clear();
    if (Fsource.empty() && !track) {
        Finish();
        return;
    }
    TgetImageThread::Trequest request;
    request.Source = Fsource;
    if (track)
        request.Cover = TcoverRequest{track->Clone(), CoverFolder, CoverFolderOnly, CoverFileFirst, CoverUseEmbedded};
    request.Rect = Rect;
    request.Enlarge = Enlarge;
    request.AddressEncoded = AddressEncoded;
    request.Limits = Limits;
    Fworkers.push_back(std::make_unique<TgetImageThread>(this, std::move(request)));
    Fcurrent = Fworkers.back().get();
    Fcurrent->Start();
}

void TimageGetter::Cancel() {
    if (Fcurrent) {
        Fcurrent->Terminate();
        Fcurrent = nullptr;
    }
    FreeEndedWorkers();
}

void TimageGetter::FreeEndedWorkers() {
    std::erase_if(Fworkers, [this](const std::unique_ptr<TgetImageThread>& worker) {
        if (worker.get() == Fcurrent) return false;
        worker->Terminate();
        return worker->Ended();
    });
}

void TimageGetter::Finish() {
    if (Fcurrent) return;
    FreeEndedWorkers();
    if (!Fdestroying && OnChange) OnChange(this);
}

void TimageGetter::WorkerDone(TgetImageThread* worker) {
    // A result that arrives after a newer request was made is dropped.
    if (worker != Fcurrent || Fdestroying) return;
    Fpicture = std::move(worker->Fresult);
    Fcurrent = nullptr;
    Finish();
}

void TimageGetter::WorkerProgress(TgetImageThread* worker, const std::string& text, int percent) {
    if (worker != Fcurrent || Fdestroying) return;
    if (OnProgress) OnProgress(this, text, percent);
}

}  // namespace tunecrest
