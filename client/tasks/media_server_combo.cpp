#include "client/tasks/media_server_combo.h"

#include "client/shell/client_globals.h"

#include <QComboBox>
#include <QSet>

bool SelectComboText(QComboBox* combo, const QString& text) {
    if (text.isEmpty()) return false;
    const int index = combo->findText(text, Qt::MatchFixedString);  // MatchFixedString ignores case
    if (index < 0) return false;
    combo->setCurrentIndex(index);
    return true;
}

void FillMediaServerCombo(QComboBox* combo, const QString& remembered) {
    combo->clear();
    // Each sign-in appends the list again: one item per name.
    QSet<QString> seen;
    for (const MediaServerEntry& server : Globals().mediaServers) {
        if (seen.contains(server.name)) continue;
        seen.insert(server.name);
        combo->addItem(server.name);
    }
    if (!SelectComboText(combo, remembered) && combo->count() > 0) combo->setCurrentIndex(0);
}
