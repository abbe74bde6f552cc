#include "client/shell/skin_manager.h"

#include "client/shell/style_sheet_text.h"

#include <QApplication>
#include <QFile>
#include <QStringDecoder>
#include <QWidget>

#include <algorithm>

namespace {

constexpr qint64 kMaxSkinSize = 1 << 20;

int Clamp(int value) { return std::clamp(value, 0, 255); }

}  // namespace

CSkinManager& CSkinManager::Instance() {
    static CSkinManager manager;
    return manager;
}

bool CSkinManager::LoadSkin(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxSkinSize) return false;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(file.readAll());
    if (utf8.hasError() || !IsStyleSheet(text)) return false;
    skinPath_ = path;
    skinSheet_ = text;
    Apply();
    return true;
}

void CSkinManager::RemoveColorFilters() { filters_.clear(); }

void CSkinManager::AddColorFilter(const ColorShift& shift) { filters_.push_back(shift); }

QColor CSkinManager::Filtered(const QColor& color) const {
    QColor out = color;
    for (const ColorShift& f : filters_) {
        out = QColor(Clamp(out.red() + f.red), Clamp(out.green() + f.green), Clamp(out.blue() + f.blue), out.alpha());
    }
    return out;
}

void CSkinManager::RedrawAll() {
    Apply();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        widget->update();
        for (QWidget* child : widget->findChildren<QWidget*>()) child->update();
    }
}

void CSkinManager::Apply() {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app) return;
    if (!captured_) {
        // The colours before any filter: the style's own palette.
        basePalette_ = QApplication::palette();
        captured_ = true;
    }
    QPalette palette = basePalette_;
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto g = static_cast<QPalette::ColorGroup>(group);
            const auto r = static_cast<QPalette::ColorRole>(role);
            if (r == QPalette::NoRole) continue;
            palette.setColor(g, r, Filtered(basePalette_.color(g, r)));
        }
    }
    QApplication::setPalette(palette);
    const QString sheet = FilterStyleSheetColors(skinSheet_, [this](const QColor& c) { return Filtered(c); });
    if (app->styleSheet() != sheet) app->setStyleSheet(sheet);
}
