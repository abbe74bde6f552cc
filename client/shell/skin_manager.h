#pragma once
// The look of the program: one skin (a Qt style sheet file from Styles/) and colour
// filters over the application's colours, both the palette's and the style sheet's.
// A colour filter shifts red, green and blue by fixed amounts, clamped to 0..255.

#include <QColor>
#include <QPalette>
#include <QString>

#include <vector>

struct ColorShift {
    int red = 0;
    int green = 0;
    int blue = 0;
};

class CSkinManager {
public:
    static CSkinManager& Instance();

    // Loads the style sheet in `path` as the skin. A missing file, or one that is not a
    // style sheet, keeps the current look and returns false.
    bool LoadSkin(const QString& path);
    QString SkinPath() const { return skinPath_; }

    void RemoveColorFilters();
    void AddColorFilter(const ColorShift& shift);
    // Applies the skin and the filters to the application and redraws every window.
    void RedrawAll();

    // The colour with every filter applied.
    QColor Filtered(const QColor& color) const;

private:
    CSkinManager() = default;
    void Apply();

    bool captured_ = false;
    QPalette basePalette_;
    QString skinPath_;
    QString skinSheet_;
    std::vector<ColorShift> filters_;
};
