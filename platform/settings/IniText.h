#pragma once
// The text of the settings file. Settings are named "Section/Key" (a key may hold further "/"),
// as the store names them; every value is text.
//
// The writer writes what QSettings' INI format writes for text values, so the file stays a plain
// INI file that other readers understand. The reader takes the file one line at a time, so a
// user's edit can only ever cost the line it is on: a comment ("#" or ";"), a line without "="
// or an unbalanced double quote never reaches into the lines after it. A line "Key=Value" is a
// setting, the last one wins when a name is given twice, and a "[Section]" line starts a section
// ("[General]" holds names without a section). A line that is not UTF-8 is read as 1252 text.

#include <QByteArray>
#include <QByteArrayView>
#include <QMap>
#include <QString>
#include <QVariant>

namespace vt::ini {

// The settings of a file by name, the form QSettings hands to a format.
using Entries = QMap<QString, QVariant>;

Entries read(QByteArrayView text);
QByteArray write(const Entries& entries);
// The first setting of `entries` that `text` does not give back as it is; empty when none.
QString lostSetting(const Entries& entries, QByteArrayView text);

}  // namespace vt::ini
