#include "sim/state_file.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace sim {
namespace {

QString Key(const char* name) { return QString::fromLatin1(name); }

struct JsonWriter {
  QJsonObject object;

  void operator()(const char* n, const std::string& v) { object[Key(n)] = QString::fromStdString(v); }
  void operator()(const char* n, const std::int64_t& v) { object[Key(n)] = static_cast<qint64>(v); }
  void operator()(const char* n, const std::int32_t& v) { object[Key(n)] = static_cast<qint64>(v); }
  void operator()(const char* n, const double& v) { object[Key(n)] = v; }
  void operator()(const char* n, const bool& v) { object[Key(n)] = v; }
  void operator()(const char* n, const std::vector<std::int64_t>& v) {
    QJsonArray a;
    for (auto x : v) a.append(static_cast<qint64>(x));
    object[Key(n)] = a;
  }
  template <class T>
  void operator()(const char* n, const std::vector<T>& v) {
    QJsonArray a;
    for (const T& item : v) a.append(Write(item));
    object[Key(n)] = a;
  }

  template <class T>
  static QJsonObject Write(const T& record) {
    JsonWriter w;
    const_cast<T&>(record).Visit(w);  // Visit only reads through this visitor
    return w.object;
  }
};

// Missing keys keep the record's defaults, so files written before a field existed still load.
struct JsonReader {
  const QJsonObject& object;

  void operator()(const char* n, std::string& v) {
    if (object.contains(Key(n))) v = object[Key(n)].toString().toStdString();
  }
  void operator()(const char* n, std::int64_t& v) {
    if (object.contains(Key(n))) v = object[Key(n)].toInteger();
  }
  void operator()(const char* n, std::int32_t& v) {
    if (object.contains(Key(n))) v = static_cast<std::int32_t>(object[Key(n)].toInteger());
  }
  void operator()(const char* n, double& v) {
    if (object.contains(Key(n))) v = object[Key(n)].toDouble();
  }
  void operator()(const char* n, bool& v) {
    if (object.contains(Key(n))) v = object[Key(n)].toBool();
  }
  void operator()(const char* n, std::vector<std::int64_t>& v) {
    v.clear();
    for (const auto& x : object[Key(n)].toArray()) v.push_back(x.toInteger());
  }
  template <class T>
  void operator()(const char* n, std::vector<T>& v) {
    v.clear();
    for (const auto& x : object[Key(n)].toArray()) {
      T item;
      Read(x.toObject(), item);
      v.push_back(std::move(item));
    }
  }

  template <class T>
  static void Read(const QJsonObject& o, T& record) {
    JsonReader r{o};
    record.Visit(r);
  }
};

}  // namespace

bool LoadState(const std::string& path, PlatformState& state, std::string& error) {
  error.clear();
  QFile file(QString::fromStdString(path));
  if (!file.exists()) return false;
  if (!file.open(QIODevice::ReadOnly)) {
    error = "cannot open " + path + ": " + file.errorString().toStdString();
    return false;
  }
  QJsonParseError parseError;
  QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
  if (parseError.error != QJsonParseError::NoError || !doc.isObject()) {
    error = path + " is not a state file: " + parseError.errorString().toStdString();
    return false;
  }
  PlatformState loaded;
  JsonReader::Read(doc.object(), loaded);
  state = std::move(loaded);
  return true;
}

bool SaveState(const std::string& path, const PlatformState& state, std::string& error) {
  QSaveFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly)) {
    error = "cannot write " + path + ": " + file.errorString().toStdString();
    return false;
  }
  file.write(QJsonDocument(JsonWriter::Write(state)).toJson(QJsonDocument::Indented));
  // The file holds passwords and keys: its owner alone may read it.
  file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  if (!file.commit()) {
    error = "cannot write " + path + ": " + file.errorString().toStdString();
    return false;
  }
  return true;
}

}  // namespace sim
