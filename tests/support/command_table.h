// Table-driven checks of built commands: each row holds a command's bytes and
// document name beside the expected ones, as the byte listings write them.
#pragma once

#include "command.h"
#include "hex.h"

#include <QTest>

// "<none>" stands for a command that passes no document name.
inline QByteArray docOf(const Command &c)
{
    return c.docName ? QByteArray(c.docName) : QByteArray("<none>");
}

inline void addCommandColumns()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QByteArray>("doc");
    QTest::addColumn<QByteArray>("expectedDoc");
}

inline void addCommandRow(const char *name, const Command &c, const char *expected, const char *doc)
{
    QTest::newRow(name) << hexOf(c.bytes) << QByteArray(expected) << docOf(c) << QByteArray(doc);
}

// The body of a test function whose _data used the two helpers above.
inline void compareCommandRow()
{
    QFETCH(QByteArray, hex);
    QFETCH(QByteArray, expected);
    QFETCH(QByteArray, doc);
    QFETCH(QByteArray, expectedDoc);
    QCOMPARE(hex, expected);
    QCOMPARE(doc, expectedDoc);
}
