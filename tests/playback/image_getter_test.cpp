#include "playback/image_getter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "core/base/services.h"
#include "support/http_server.h"
#include "support/pictures.h"
#include "support/special_files.h"
#include "support/temp_dir.h"
#include "support/tls_server.h"

namespace tunecrest {
namespace {

using namespace std::chrono_literals;

class ImageGetterTest : public ::testing::Test {
protected:
    void SetUp() override {
        Fdispatcher = std::make_shared<TqueueDispatcher>();
        SetDispatcher(Fdispatcher);
        Fgetter = std::make_unique<TimageGetter>();
        Fgetter->Rect = {0, 0, 40, 40};
        Fgetter->OnChange = [this](TObject*) { ++Fchanges; };
        Fgetter->OnProgress = [this](TObject*, const std::string& text, int percent) {
            Fprogress.emplace_back(text, percent);
        };
    }
    void TearDown() override {
        Fgetter.reset();
        SetDispatcher(nullptr);
    }
    // Runs the main thread's queue until OnChange fired `count` times in all.
    bool WaitForChanges(int count, std::chrono::milliseconds limit = 10s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (Fchanges < count && std::chrono::steady_clock::now() < end) Fdispatcher->WaitAndProcess(10);
        return Fchanges >= count;
    }
    bool Uniform(const Tbitmap& b, Trgb colour, int tolerance = 0) {
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.Width(); ++x) {
                const Trgb p = b.Pixel(x, y);
                if (std::abs(p.R - colour.R) > tolerance || std::abs(p.G - colour.G) > tolerance ||
                    std::abs(p.B - colour.B) > tolerance)
                    return false;
            }
        return true;
    }
    bool Reported(const std::string& text) const {
        for (const auto& entry : Fprogress)
            if (entry.first == text) return true;
        return false;
    }

    std::shared_ptr<TqueueDispatcher> Fdispatcher;
    std::unique_ptr<TimageGetter> Fgetter;
    int Fchanges = 0;
    std::vector<std::pair<std::string, int>> Fprogress;
    test::TempDir Fdir;
};

TEST_F(ImageGetterTest, FilesAreDecodedAndFitted) {
    test::WriteFile(Fdir.File("wide.BMP"), test::EncodeBmp24(test::SolidPicture(100, 50, {10, 200, 30})));
    Fgetter->GetImage(Fdir.File("wide.BMP"));
    ASSERT_TRUE(WaitForChanges(1));
    EXPECT_EQ(Fgetter->Picture().Width(), 40);
    EXPECT_EQ(Fgetter->Picture().Height(), 20);
    EXPECT_TRUE(Uniform(Fgetter->Picture(), {10, 200, 30}));
    EXPECT_TRUE(Reported("Resizing..."));
    EXPECT_EQ(Fprogress.back(), (std::pair<std::string, int>{"Resizing...", 100}));

    Fprogress.clear();
    test::WriteFile(Fdir.File("tall.jpg"), test::EncodeJpeg(test::SolidPicture(50, 100, {240, 240, 240})));
    Fgetter->GetImage(Fdir.File("tall.jpg"));
    ASSERT_TRUE(WaitForChanges(2));
    EXPECT_EQ(Fgetter->Picture().Width(), 20);
    EXPECT_EQ(Fgetter->Picture().Height(), 40);
    EXPECT_TRUE(Uniform(Fgetter->Picture(), {240, 240, 240}, 4));
    EXPECT_TRUE(Reported("Decompressing..."));

    // Unknown extension, missing file, corrupt picture: no picture, OnChange all the same.
    test::WriteFile(Fdir.File("x.png"), test::EncodeBmp24(test::SolidPicture(4, 4, {1, 1, 1})));
    test::WriteFile(Fdir.File("bad.jpg"), "garbage");
    int expected = 2;
    for (const char* name : {"x.png", "none.bmp", "bad.jpg"}) {
        Fgetter->GetImage(Fdir.File(name));
        ASSERT_TRUE(WaitForChanges(++expected)) << name;
        EXPECT_TRUE(Fgetter->Picture().Empty()) << name;
    }
}

TEST_F(ImageGetterTest, SmallPicturesEnlargedOrCentredAndEmptyRequests) {
    test::WriteFile(Fdir.File("small.bmp"), test::EncodeBmp24(test::SolidPicture(10, 10, {255, 255, 255})));
    Fgetter->Rect = {0, 0, 40, 20};
    Fgetter->GetImage(Fdir.File("small.bmp"));
    ASSERT_TRUE(WaitForChanges(1));
    const Tbitmap& centred = Fgetter->Picture();
    ASSERT_EQ(centred.Width(), 20);
    ASSERT_EQ(centred.Height(), 20);
    EXPECT_EQ(centred.Pixel(4, 4), (Trgb{}));
    EXPECT_EQ(centred.Pixel(5, 5), (Trgb{255, 255, 255}));
    EXPECT_EQ(centred.Pixel(14, 14), (Trgb{255, 255, 255}));
    EXPECT_EQ(centred.Pixel(15, 15), (Trgb{}));

    Fgetter->Enlarge = true;
    Fgetter->GetImage(Fdir.File("small.bmp"));
    ASSERT_TRUE(WaitForChanges(2));
    EXPECT_EQ(Fgetter->Picture().Width(), 20);
    EXPECT_TRUE(Uniform(Fgetter->Picture(), {255, 255, 255}));

    // An empty rectangle gives no picture and no resampling.
    Fgetter->Rect = {5, 5, 5, 30};
    Fprogress.clear();
    Fgetter->GetImage(Fdir.File("small.bmp"));
    ASSERT_TRUE(WaitForChanges(3));
    EXPECT_TRUE(Fgetter->Picture().Empty());
    EXPECT_FALSE(Reported("Resizing..."));

    // An empty source and a missing track finish at once, on the calling thread.
    Fgetter->GetImage("");
    EXPECT_EQ(Fchanges, 4);
    EXPECT_TRUE(Fgetter->Picture().Empty());
    Fgetter->GetCoverImage(nullptr);
    EXPECT_EQ(Fchanges, 5);
}

TEST_F(ImageGetterTest, LocalFilesOverTheSizeCapAreNotRead) {
    const std::string bytes = test::EncodeBmp24(test::SolidPicture(30, 30, {90, 60, 30}));
    test::WriteFile(Fdir.File("cover.bmp"), bytes);
    // A file of exactly the cap is read; one byte more is refused before it is decoded.
    Fgetter->Limits.MaxBytes = int64_t(bytes.size());
    Fgetter->GetImage(Fdir.File("cover.bmp"));
    ASSERT_TRUE(WaitForChanges(1));
    EXPECT_EQ(Fgetter->Picture().Width(), 40);
    Fgetter->Limits.MaxBytes = int64_t(bytes.size()) - 1;
    Fprogress.clear();
    Fgetter->GetImage(Fdir.File("cover.bmp"));
    ASSERT_TRUE(WaitForChanges(2));
    EXPECT_TRUE(Fgetter->Picture().Empty());
    EXPECT_FALSE(Reported("Resizing..."));
}

TEST_F(ImageGetterTest, ATrackThatIsAFifoNeitherBlocksTheWorkerNorItsDestruction) {
    // The track's own file (read for an embedded picture) and its folder's cover name are
    // both FIFOs that nobody writes to.
    std::filesystem::create_directories(Fdir.Path() / "album");
    const std::string song = test::MakeFifo(Fdir.File("album/01.mp3"));
    const std::string cover = test::MakeFifo(Fdir.File("album/Folder.jpg"));
    for (const bool fileFirst : {false, true}) {
        auto track = std::make_shared<TaudioTag>();
        track->SetFilename(song);
        Fgetter->CoverUseEmbedded = true;
        Fgetter->CoverFileFirst = fileFirst;
        Fgetter->GetCoverImage(track);
        EXPECT_TRUE(WaitForChanges(fileFirst ? 2 : 1, 2s)) << "the worker is blocked";
        // Destroying the getter joins its worker on the main thread.
        EXPECT_TRUE(test::FinishesWithoutBlocking(fileFirst ? cover : song, [&] { Fgetter.reset(); }));
        EXPECT_TRUE(Fgetter == nullptr || Fgetter->Picture().Empty());
        Fgetter = std::make_unique<TimageGetter>();
        Fgetter->Rect = {0, 0, 40, 40};
        Fgetter->OnChange = [this](TObject*) { ++Fchanges; };
    }
}

TEST_F(ImageGetterTest, CoverOfATrackIsReadFromACopy) {
    std::filesystem::create_directories(Fdir.Path() / "album");
    test::WriteFile(Fdir.File("album/Folder.bmp"), test::EncodeBmp24(test::SolidPicture(8, 8, {5, 6, 7})));
    auto track = std::make_shared<TaudioTag>();
    track->SetFilename(Fdir.File("album/01.mp3"));
    track->SetArtist("Artist");
    track->SetAlbum("Album");
    Fgetter->Enlarge = true;
    Fgetter->GetCoverImage(track);
    // The library changes the track and lets it go while the worker runs.
    track->SetFilename("/nowhere/01.mp3");
    track.reset();
    ASSERT_TRUE(WaitForChanges(1));
    EXPECT_EQ(Fgetter->Picture().Width(), 40);
    EXPECT_TRUE(Uniform(Fgetter->Picture(), {5, 6, 7}));

    // The cover folder's JPEG, with the search kept to that folder.
    std::filesystem::create_directories(Fdir.Path() / "covers");
    test::WriteFile(Fdir.File("covers/Artist - Album.jpg"), test::EncodeJpeg(test::SolidPicture(8, 4, {0, 0, 0})));
    Fgetter->CoverFolder = Fdir.File("covers");
    Fgetter->CoverFolderOnly = true;
    auto other = std::make_shared<TaudioTag>();
    other->SetFilename(Fdir.File("album/02.mp3"));
    other->SetArtist("Artist");
    other->SetAlbum("Album");
    Fgetter->GetCoverImage(other);
    ASSERT_TRUE(WaitForChanges(2));
    EXPECT_EQ(Fgetter->Picture().Height(), 20);
    EXPECT_TRUE(Uniform(Fgetter->Picture(), {0, 0, 0}, 4));
    EXPECT_TRUE(Reported("Decompressing..."));
}

TEST_F(ImageGetterTest, HttpLatestRequestWins) {
    const std::string first = test::EncodeBmp24(test::SolidPicture(20, 20, {255, 0, 0}));
    const std::string second = test::EncodeBmp24(test::SolidPicture(20, 20, {0, 0, 255}));
    test::TloopbackHttpServer server([&](const std::string& target) {
        test::ThttpReply reply;
        reply.ContentType = "image/bmp";
        if (target == "/first.bmp") {
            reply.Body = first;  // trickles for seconds
            reply.ChunkDelayMs = 5;
        } else {
            reply.Body = second;
            reply.HeadDelayMs = 300;  // meanwhile only the first would report
        }
        return reply;
    });
    Fgetter->Enlarge = true;
    Fgetter->GetImage(server.Url("/first.bmp"));
    // Let the first transfer get going and report.
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (Fprogress.size() < 3 && std::chrono::steady_clock::now() < end) Fdispatcher->WaitAndProcess(10);
    ASSERT_GE(Fprogress.size(), 3u);
    EXPECT_EQ(Fprogress.front().first.rfind("Downloading...", 0), 0u);

    Fprogress.clear();
    Fgetter->GetImage(server.Url("/second.bmp"));
    ASSERT_TRUE(WaitForChanges(1));
    EXPECT_TRUE(Uniform(Fgetter->Picture(), {0, 0, 255}));
    // Only the second reported after it was asked for: it jumps from 0 to 100 percent.
    for (const auto& [text, percent] : Fprogress)
        if (text.rfind("Downloading...", 0) == 0) {
            EXPECT_TRUE(percent == 0 || percent == 100) << text;
        }
    // The first transfer was broken off, and its result never arrives.
    const auto aborted = std::chrono::steady_clock::now() + 5s;
    while (server.AbortedReplies() < 1 && std::chrono::steady_clock::now() < aborted)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(server.AbortedReplies(), 1);
    Fdispatcher->WaitAndProcess(100);
    EXPECT_EQ(Fchanges, 1);

    // Destroying the getter in the middle of a download stops it without an event.
    Fgetter->GetImage(server.Url("/first.bmp"));
    std::this_thread::sleep_for(50ms);
    Fgetter.reset();
    Fdispatcher->ProcessPendingCalls();
    EXPECT_EQ(Fchanges, 1);
}

TEST_F(ImageGetterTest, HttpAnswersAndAddressEncoding) {
    const std::string bmp = test::EncodeBmp24(test::SolidPicture(10, 5, {9, 9, 9}));
    const std::string jpeg = test::EncodeJpeg(test::SolidPicture(10, 5, {128, 128, 128}));
    test::TloopbackHttpServer server([&](const std::string& target) {
        test::ThttpReply reply;
        reply.ContentType = "image/bmp";
        reply.Body = bmp;
        if (target.rfind("/photo", 0) == 0) reply.ContentType = "Image/JPEG; q=1", reply.Body = jpeg;
        if (target == "/page") reply.ContentType = "text/html";
        if (target == "/huge") reply.Body = std::string(3000, 'x');
        if (target == "/cut") reply.DeclaredLength = bmp.size() + 100;
        return reply;
    });
    Fgetter->Limits.MaxBytes = 2000;
    Fgetter->Enlarge = true;
    const std::string base = server.Url("");

    // The blank is escaped; letters, the port's ":", "?", "=", "&" and "%41" are not.
    Fgetter->GetImage(base + "/covers/My Album/Zed.bmp?size=big&x=%41");
    ASSERT_TRUE(WaitForChanges(1));
    EXPECT_EQ(server.Requests().back(), "/covers/My%20Album/Zed.bmp?size=big&x=%41");
    EXPECT_EQ(Fgetter->Picture().Width(), 40);
    EXPECT_TRUE(Uniform(Fgetter->Picture(), {9, 9, 9}));

    // A JPEG answer (any image type other than BMP).
    Fgetter->GetImage(base + "/photo/Caf\xc3\xa9.jpg");
    ASSERT_TRUE(WaitForChanges(2));
    EXPECT_EQ(server.Requests().back(), "/photo/Caf%c3%a9.jpg");
    EXPECT_TRUE(Uniform(Fgetter->Picture(), {128, 128, 128}, 4));
    EXPECT_TRUE(Reported("Loading..."));

    // Sent as given when the address is already encoded.
    Fgetter->AddressEncoded = true;
    Fgetter->GetImage(base + "/raw%2");
    ASSERT_TRUE(WaitForChanges(3));
    EXPECT_EQ(server.Requests().back(), "/raw%2");
    Fgetter->AddressEncoded = false;

    // Not an image, over the size cap, cut short: no picture, OnChange all the same.
    int expected = 3;
    for (const char* target : {"/page", "/huge", "/cut"}) {
        Fgetter->GetImage(base + target);
        ASSERT_TRUE(WaitForChanges(++expected)) << target;
        EXPECT_TRUE(Fgetter->Picture().Empty()) << target;
    }
}

// A picture over "https" from a server whose certificate checks out, its address encoded
// as a plain one is; a server the client cannot check gives no picture.
TEST_F(ImageGetterTest, HttpsPicturesFromACheckedServerOnly) {
    test::TtestAuthority authority;
    authority.WriteCertificate(Fdir.File("authority.pem"));
    const std::string bmp = test::EncodeBmp24(test::SolidPicture(10, 5, {7, 70, 170}));
    auto reply = [&](const std::string&) {
        test::ThttpReply r;
        r.ContentType = "image/bmp";
        r.Body = bmp;
        return r;
    };
    test::TloopbackHttpsServer server(authority.Issue("IP:127.0.0.1"), reply);
    Fgetter->Enlarge = true;
    Fgetter->GetImage(server.Url("/covers/Blue Train.bmp"));
    ASSERT_TRUE(WaitForChanges(1));
    EXPECT_TRUE(Fgetter->Picture().Empty()) << "the system's authorities do not know this server";
    EXPECT_TRUE(server.Requests().empty());

    SetHttpsAuthorities(Fdir.File("authority.pem"));
    Fgetter->GetImage(server.Url("/covers/Blue Train.bmp"));
    ASSERT_TRUE(WaitForChanges(2));
    SetHttpsAuthorities("");
    ASSERT_FALSE(server.Requests().empty());
    EXPECT_EQ(server.Requests().back(), "/covers/Blue%20Train.bmp");
    EXPECT_EQ(Fgetter->Picture().Width(), 40);
    EXPECT_TRUE(Uniform(Fgetter->Picture(), {7, 70, 170}));
}

}  // namespace
}  // namespace tunecrest
