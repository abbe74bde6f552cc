#include "client/widgets/find_control.h"

#include <QVariant>

void SetControlId(QWidget* control, int id, const QString& accessibleName) {
    control->setProperty(kControlIdProperty, id);
    if (!accessibleName.isEmpty()) control->setAccessibleName(accessibleName);
}

void SetControlName(QWidget* control, const char* objectName, const QString& accessibleName) {
    control->setObjectName(QString::fromLatin1(objectName));
    control->setAccessibleName(accessibleName);
}

QWidget* FindControl(QWidget* root, int id) {
    if (!root) return nullptr;
    const QVariant own = root->property(kControlIdProperty);
    if (own.isValid() && own.toInt() == id) return root;
    const auto children = root->findChildren<QWidget*>();
    for (QWidget* child : children) {
        const QVariant value = child->property(kControlIdProperty);
        if (value.isValid() && value.toInt() == id) return child;
    }
    return nullptr;
}
