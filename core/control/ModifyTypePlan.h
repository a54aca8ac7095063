#pragma once
#include <QString>
#include <QStringList>
#include <QVector>

/// The modify-type tab of the test signal tool: the checks before anything runs and the external tool's runs, in
/// order, each with the text shown when it fails. Widget-free and pure.
namespace ModifyTypePlan {

/// Where the copied files go on the device.
constexpr const char* kDeviceI2sPath = "/config/_i2s_oem.cfg";
constexpr const char* kDeviceDspPathPrefix = "/usr/local/bin/dsp/defaultConfig.json-";
constexpr int kMaxTypeChars = 12;
constexpr int kMaxSuffixChars = 12;

struct Facts
{
    bool refreshed = false; ///< a device was chosen from a refreshed list
    QString devId;
    QString ip;
    QString type;
    QString suffix;
    bool writeI2s = false;
    QString i2sFile; ///< local file
    bool i2sExists = false;
    bool writeDsp = false;
    int dspRate = 48000; ///< 48000 or 96000
    QString dspFile;     ///< local file
    bool dspExists = false;
};

struct Step
{
    QStringList args;
    QString failure;
};

/// The local files, in the folder "testConfig" beside the application.
QString localI2sFile(const QString& appDir);
QString localDspFile(const QString& appDir, int rate);
/// The device's path of the DSP default configuration of a rate.
QString deviceDspPath(int rate);

/// True for a type or suffix of 1..12 characters of [0-9A-Za-z_-].
bool validName(const QString& text, int maxChars);

/// Empty when the change may run, else the text to show; nothing runs then.
QString refusal(const Facts& facts);
/// The tool's runs: open the control, the type, the name, then the optional copies.
QVector<Step> steps(const Facts& facts);

QString busyText();
QString successText();

} // namespace ModifyTypePlan
