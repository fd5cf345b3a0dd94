#pragma once
// The cover matrix of the main window: a grid of paint regions showing a page of album
// covers with the artist and album below each. Every cell's image getter finds its
// album's cover (a picture file beside the tracks or in the cover folder, or the picture
// embedded in the first track) and decodes and scales it on a worker thread, so turning
// a page never holds up the screen. Pages turn by the grid's page requests, the bound
// scroll bar and typed letters; a touch on a cover chooses its album.
#include <QImage>
#include <QObject>
#include <functional>

#include "mainwindow/views/list_display.h"

namespace tunecrest {

class TfontContainer;
class TpaintRegion;
class TpaintRegionContainer;
class TmySkinScrollBar;

// The picture shown for an album without a cover, drawn from code.
QImage NoCoverPicture(int size);

class TcoverMatrixView : public QObject {
  public:
    TcoverMatrixView(TpaintRegionContainer& matrix, const TfontContainer& fonts);
    ~TcoverMatrixView() override;

    TpaintRegionContainer& Matrix() { return Fmatrix; }
    // The pages follow the bar and the bar the pages.
    void BindScrollBar(TmySkinScrollBar* bar);

    // Mode 1 shows two caption lines (artist and album), mode 2 one (the album).
    int CaptionLines = 2;
    // Where covers are looked for.
    std::string CoverFolder;
    bool CoverFolderOnly = false;
    bool CoverFileFirst = false;

    // A new album list, shown from its first page.
    void SetAlbums(TcoverAlbums albums);
    const TcoverAlbums& Albums() const { return Falbums; }
    int FirstShown() const { return Ffirst; }
    // Shows the albums from `first` (clamped as paging does) and fills the cells.
    void ShowFrom(int first);
    void RefreshCoverArt();
    // Shows the page holding the album and selects its cell; false when not listed.
    bool ShowAlbum(const TaudioTagAlbum* album);
    void PageUp();
    void PageDown();
    // The page of the first album whose name begins with the character; false when none.
    bool JumpToChar(char ch);
    int RegionCount() const;
    // The album of a cell, or nullptr.
    TaudioTagAlbumPtr AlbumOfCell(int cell) const;

    std::function<void(const TaudioTagAlbumPtr& album)> OnAlbumClick;

    void PaintCell(TpaintRegion* region);

  protected:
    // A typed letter or digit turns to its page.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FollowBar();

    TpaintRegionContainer& Fmatrix;
    const TfontContainer& Ffonts;
    TmySkinScrollBar* Fbar = nullptr;
    TcoverAlbums Falbums;
    int Ffirst = 0;
    QImage FnoCover;
};

}  // namespace tunecrest
