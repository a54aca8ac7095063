#pragma once
#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QVector>

/// The files programs are exported to and imported from.
///
/// "*.dt" holds one program: its configuration object, compact JSON. A whole reply ({"config": {...}}) is read
/// too. "*.dtl" holds every program of a device:
///   {"type":"programList","version":"1","programArr":[{"name":N,"config":{...}}, ...]}
/// (a bare array of such entries is read too). Files are read whole, bounded by kMaxFileBytes, and written
/// whole (a temporary file renamed over the old one), so a failed export never leaves half a file behind.
namespace ProgramFile {

/// Far above any configuration (FIR coefficients included) times the number of programs a device keeps.
constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;
/// A device keeps 20 programs, program 0 its own; a list file may name no more.
constexpr int kMaxListEntries = 19;

struct Program
{
    QString name;
    QJsonObject config;
};

enum class Error
{
    None,
    Open,       ///< "打开文件出错": missing, unreadable or too large
    Parse,      ///< "文件解析出错": not JSON
    NotConfig,  ///< "不是合法的配置文件": JSON, but no configuration
    NoPrograms, ///< "没有程式数据": a list without entries
    BadEntry    ///< "程式解析出错": an entry without a valid name or configuration, or too many entries
};

QString text(Error error);

struct ReadOne
{
    Error error = Error::None;
    QJsonObject config;
};

struct ReadAll
{
    Error error = Error::None;
    int badEntry = -1; ///< BadEntry: the first entry at fault (0-based)
    QVector<Program> programs;
};

QByteArray writeProgram(const QJsonObject& config);
QByteArray writeList(const QVector<Program>& programs);
ReadOne readProgram(const QByteArray& bytes);
ReadAll readList(const QByteArray& bytes);

/// The whole file, or Error::Open.
Error readFile(const QString& path, QByteArray* bytes);
/// Writes `bytes` as the whole file through a temporary file; false (old file kept) on any failure.
bool writeFile(const QString& path, const QByteArray& bytes);

/// A configuration's input and output channel counts: the entries of its first and its last channel node
/// ("type" "0"); -1 for a side it does not describe.
struct Channels
{
    int inputs = -1;
    int outputs = -1;
};
Channels channelsOf(const QJsonObject& config);
/// True when `config` describes exactly `inputs` inputs and `outputs` outputs (the import's channel check).
bool fitsDevice(const QJsonObject& config, int inputs, int outputs);
/// The node list a configuration must have: at least inputs, matrix and outputs, every entry an object.
bool looksLikeConfig(const QJsonObject& config);

} // namespace ProgramFile
