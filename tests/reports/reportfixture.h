#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QStringList>
#include <QTreeWidget>
#include <memory>

// A list such as the main window's: column headers, then one row per item.
inline std::unique_ptr<QTreeWidget> makeList(const QStringList &headers,
                                             const QList<QStringList> &rows)
{
    auto tree = std::make_unique<QTreeWidget>();
    tree->setColumnCount(int(headers.size()));
    tree->setHeaderLabels(headers);
    for (const QStringList &row : rows)
        new QTreeWidgetItem(tree.get(), row); // owned by the tree
    return tree;
}

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing file>");
    return file.readAll();
}
