// Base classes for objects whose published properties are kept with the property that holds
// them, as opposed to components (widgets, actions: any other QObject), which a property only
// refers to by name.
//
// TPersistent: a value-like sub-object (a set of margins, a font description). Its holder owns
// it (usually as QObject parent) and exposes it through a QObject-pointer property.
// TPersistentCollection: a TPersistent holding an ordered list of items, each a QObject with
// published properties; the collection owns its items and makes new ones itself (Add).
//
// Owner's thread only.
#pragma once

#include <QObject>

class TPersistent : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
};

class TPersistentCollection : public TPersistent {
    Q_OBJECT

public:
    using TPersistent::TPersistent;

    virtual int Count() const = 0;
    virtual QObject* Item(int Index) const = 0;
    // Appends a new item with its default values and returns it.
    virtual QObject* Add() = 0;
    virtual void Delete(int Index) = 0;
    // Deletes every item.
    virtual void Clear() = 0;
    // Brackets a series of changes; the collection may defer its notifications until the end.
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}
};
