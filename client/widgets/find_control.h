#pragma once
// Controls that a page numbers carry the dynamic property "controlId" with that number.

#include <QWidget>

inline constexpr char kControlIdProperty[] = "controlId";

// Gives a control its number and its accessible name (its label or caption text).
void SetControlId(QWidget* control, int id, const QString& accessibleName = QString());

// Names a control that has no number: its object name (for tests) and accessible name.
void SetControlName(QWidget* control, const char* objectName, const QString& accessibleName);

// The first descendant of `root` (or `root` itself) whose controlId is `id`, or nullptr.
QWidget* FindControl(QWidget* root, int id);

template <typename T>
T* FindControlAs(QWidget* root, int id) {
    return qobject_cast<T*>(FindControl(root, id));
}
