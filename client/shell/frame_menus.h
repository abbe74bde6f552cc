#pragma once
// The menus and the "Standard" toolbar, built from their tables. Every action carries
// its command number in the property "commandId" and reports it when triggered.

#include <QString>

#include <functional>

class QMenuBar;
class QToolBar;
class QAction;
class QWidget;

inline constexpr char kCommandIdProperty[] = "commandId";

using CommandHandler = std::function<void(int commandId)>;

// Menu 132 (signed out) or 138 (signed in); nullptr for another number.
QMenuBar* BuildMenuBar(int menuResource, const CommandHandler& onCommand, QWidget* parent);

// Toolbar 132: sign-in and sign-out, the task commands, the logo, the web pages.
QToolBar* BuildStandardToolBar(const CommandHandler& onCommand, QWidget* parent);

// The first action below `root` (menus included) with that command number, or nullptr.
QAction* FindCommandAction(QWidget* root, int commandId);
