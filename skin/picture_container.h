#pragma once
// A store of named pictures (backgrounds, logos) that windows look up by name.
#include <string>

#include <QImage>
#include <QObject>

#include "skin/named_collection.h"

namespace tunecrest {

class TpictureItem {
public:
    explicit TpictureItem(TnamedCollection<TpictureItem>* collection = nullptr) : Fcollection(collection) {}

    const QImage& picture() const { return Fpicture; }
    void SetPicture(const QImage& picture) { Fpicture = picture.copy(); }
    const std::string& NiceName() const { return FniceName; }
    void SetNiceName(const std::string& name) { FniceName = name; }
    TnamedCollection<TpictureItem>* Collection() const { return Fcollection; }

    void Assign(const TpictureItem& source)
    {
        SetPicture(source.picture());
        FniceName = source.NiceName();
    }

private:
    TnamedCollection<TpictureItem>* Fcollection;
    QImage Fpicture;
    std::string FniceName;
};

using TpictureCollection = TnamedCollection<TpictureItem>;

class TpictureContainer : public QObject {
    Q_OBJECT
public:
    explicit TpictureContainer(QObject* parent = nullptr) : QObject(parent), Fitems(this) {}

    TpictureCollection& Items() { return Fitems; }
    const TpictureCollection& Items() const { return Fitems; }
    void SetItems(const TpictureCollection& items) { Fitems.Assign(items); }

private:
    TpictureCollection Fitems;
};

}  // namespace tunecrest
