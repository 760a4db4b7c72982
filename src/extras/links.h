#pragma once
// The addresses of every link item, kept in one place.
#include <QList>
#include <QString>

namespace hb {

struct WebLink {
    QString caption;  // the menu item
    QString address;
};

// The 23 province items, "官方网站" and the two download items, in menu order.
QList<WebLink> webLinks();
// The address of the item with this caption; empty for an unknown caption.
QString linkAddress(const QString& caption);

// The system's own site, ending in '/'; HENGBI_SITE overrides the configured one.
QString siteAddress();
// soft.ini at the root of that site.
QString updateFileAddress();

// Contact lines of the makers, as the author information shows them.
QString authorInformation();

}  // namespace hb
