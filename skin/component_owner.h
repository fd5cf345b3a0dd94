#pragma once
// Who owns a component. Qt's parent tree says where a widget sits on the screen; the
// owner says which form made it and answers for it: a form keeps the list of the
// components it owns, in creation order, wherever they sit in its layout. Walks over a
// form's components (applying skin colours, loading a skin by component name) go
// through this list, so they reach every control the form made at any depth and leave
// alone widgets that only sit on the form, such as a keyboard docked into it.
//
// Ownership here names components; it does not free them (Qt's parent tree does).
// A component deleted early simply drops out of its owner's list.
#include <utility>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QString>

namespace tunecrest {

// The list an owner keeps, a hidden child object of the owner.
class TownedComponents : public QObject {
    Q_OBJECT
public:
    explicit TownedComponents(QObject* owner) : QObject(owner) {}
    std::vector<QPointer<QObject>> Components;
};

// The owner a component was given, a hidden child object of the component.
class TownerLink : public QObject {
    Q_OBJECT
public:
    explicit TownerLink(QObject* component) : QObject(component) {}
    QPointer<QObject> Owner;
};

// Appends `component` to `owner`'s list (taking it off its previous owner's list).
// A null owner only takes it off its previous owner's list.
void InsertComponent(QObject* owner, QObject* component);
void RemoveComponent(QObject* owner, QObject* component);
QObject* ComponentOwner(const QObject* component);
// The live components `owner` owns, in the order they were given to it.
std::vector<QObject*> OwnedComponents(const QObject* owner);
int ComponentCount(const QObject* owner);
// The first owned component with that object name, or nullptr.
QObject* FindComponent(const QObject* owner, const QString& name);

// Makes a component owned by `owner`: new T(args...), then InsertComponent.
template <typename T, typename... Args>
T* CreateComponent(QObject* owner, Args&&... args)
{
    T* component = new T(std::forward<Args>(args)...);
    InsertComponent(owner, component);
    return component;
}

}  // namespace tunecrest
