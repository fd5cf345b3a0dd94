#pragma once
// A named store of bitmaps: skins keep their pictures in one and controls look them up
// by the name the skin gives them.
#include <string>

#include <QImage>
#include <QObject>

#include "core/jukebox/global_prefs.h"
#include "skin/named_collection.h"

namespace tunecrest {

// The preferences' shared picture.
class TBitmap {
public:
    QImage Image;
};

class TbitmapItem {
public:
    explicit TbitmapItem(TnamedCollection<TbitmapItem>* collection = nullptr) : Fcollection(collection) {}

    const QImage& Bitmap() const { return Fbitmap; }
    // Keeps its own copy of the picture.
    void SetBitmap(const QImage& bitmap) { Fbitmap = bitmap.copy(); }
    const std::string& NiceName() const { return FniceName; }
    void SetNiceName(const std::string& name) { FniceName = name; }
    TnamedCollection<TbitmapItem>* Collection() const { return Fcollection; }

    void Assign(const TbitmapItem& source)
    {
        SetBitmap(source.Bitmap());
        FniceName = source.NiceName();
    }

private:
    TnamedCollection<TbitmapItem>* Fcollection;
    QImage Fbitmap;
    std::string FniceName;
};

class TbitmapCollection : public TnamedCollection<TbitmapItem> {
public:
    using TnamedCollection::TnamedCollection;
    // The bitmap named `name`, or a null image.
    QImage BitmapByName(const std::string& name) const
    {
        const TbitmapItem* item = FindByName(name);
        return item ? item->Bitmap() : QImage();
    }
};

class TbitmapContainer : public QObject {
    Q_OBJECT
public:
    explicit TbitmapContainer(QObject* parent = nullptr) : QObject(parent), Fitems(this)
    {
        // The preferences count a store's bitmaps through the skin library; the first
        // store made tells them how.
        static const bool counterSet = [] {
            TglobalPrefs::SetBitmapCounter([](const TbitmapContainer& c) { return c.Items().Count(); });
            return true;
        }();
        (void)counterSet;
    }

    TbitmapCollection& Items() { return Fitems; }
    const TbitmapCollection& Items() const { return Fitems; }
    void SetItems(const TbitmapCollection& items) { Fitems.Assign(items); }

private:
    TbitmapCollection Fitems;
};

}  // namespace tunecrest
