#pragma once

#include <QObject>
#include <QVariant>

// Menu items and labels keep small integer settings in an integer tag.
inline int tagOf(const QObject *object)
{
    return object->property("tag").toInt();
}

inline void setTag(QObject *object, int value)
{
    object->setProperty("tag", value);
}
