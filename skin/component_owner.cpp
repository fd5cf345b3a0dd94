#include "skin/component_owner.h"

#include <algorithm>

namespace tunecrest {

namespace {

TownedComponents* ListOf(const QObject* owner)
{
    return owner ? owner->findChild<TownedComponents*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

TownerLink* LinkOf(const QObject* component)
{
    return component ? component->findChild<TownerLink*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void Forget(TownedComponents* list, const QObject* component)
{
    if (!list) return;
    std::erase_if(list->Components, [component](const QPointer<QObject>& c) { return c.isNull() || c == component; });
}

}  // namespace

void InsertComponent(QObject* owner, QObject* component)
{
    if (!component || owner == component) return;
    TownerLink* link = LinkOf(component);
    if (link && link->Owner) Forget(ListOf(link->Owner), component);
    if (!owner) {
        delete link;
        return;
    }
    if (!link) link = new TownerLink(component);
    link->Owner = owner;
    TownedComponents* list = ListOf(owner);
    if (!list) list = new TownedComponents(owner);
    list->Components.emplace_back(component);
}

void RemoveComponent(QObject* owner, QObject* component)
{
    if (!owner || ComponentOwner(component) != owner) return;
    InsertComponent(nullptr, component);
}

QObject* ComponentOwner(const QObject* component)
{
    const TownerLink* link = LinkOf(component);
    return link ? link->Owner.data() : nullptr;
}

std::vector<QObject*> OwnedComponents(const QObject* owner)
{
    std::vector<QObject*> result;
    if (const TownedComponents* list = ListOf(owner))
        for (const auto& c : list->Components)
            if (c) result.push_back(c.data());
    return result;
}

int ComponentCount(const QObject* owner)
{
    return int(OwnedComponents(owner).size());
}

QObject* FindComponent(const QObject* owner, const QString& name)
{
    for (QObject* c : OwnedComponents(owner))
        if (c->objectName() == name) return c;
    return nullptr;
}

}  // namespace tunecrest
