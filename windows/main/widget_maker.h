// Makes the main window's controls at their designed client-pixel geometry.
#pragma once

#include "settings_catalogue.h"

#include <QComboBox>
#include <QStringList>

#include <algorithm>
#include <iterator>

namespace widgetmaker {

template <typename W>
W *make(QWidget *parent, const char *name, int left, int top, int width, int height)
{
    auto *w = new W(parent);
    w->setObjectName(QLatin1String(name));
    w->setGeometry(left, top, width, height);
    return w;
}

// A drop-down list that takes no typing, with items and the one selected.
inline QComboBox *list(QWidget *parent, const char *name, int left, int top, int width, const QStringList &items,
                       int selected)
{
    auto *box = make<QComboBox>(parent, name, left, top, width, 21);
    box->setEditable(false);
    box->addItems(items);
    box->setCurrentIndex(selected);
    return box;
}

// The catalogue's serial rates as list entries.
inline QStringList baudRateItems()
{
    QStringList items;
    for (std::uint32_t rate : kBaudRates)
        items << QString::number(rate);
    return items;
}

inline int baudRateIndex(std::uint32_t rate)
{
    return int(std::find(std::begin(kBaudRates), std::end(kBaudRates), rate) - std::begin(kBaudRates));
}

} // namespace widgetmaker
