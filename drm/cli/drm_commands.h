#pragma once
// The commands of castora-drm; each returns the tool's exit status.

#include <QTextStream>

struct ToolArguments;

int RunProtect(const ToolArguments& arguments, QTextStream& out, QTextStream& err);
int RunInfo(const ToolArguments& arguments, QTextStream& out, QTextStream& err);
int RunDecrypt(const ToolArguments& arguments, QTextStream& out, QTextStream& err);
int RunProfileInfo(const ToolArguments& arguments, QTextStream& out, QTextStream& err);
