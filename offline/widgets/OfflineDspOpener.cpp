#include "OfflineDspOpener.h"

#include "CDeviceDspData.h"
#include "DevDspDialog.h"
#include "DspDefaultConfig.h"
#include "OfflineData.h"
#include "OfflineDevice.h"

#include <QPointer>

#include <memory>

const QString& OfflineDspOpener::currentName()
{
    static const QString name = QStringLiteral("curConfig");
    return name;
}

int OfflineDspOpener::currentIndex(const OfflineDevice& device)
{
    const auto& configs = device.dspConfigs();
    for (size_t i = 0; i < configs.size(); ++i)
        if (configs[i].name == currentName() && configs[i].data)
            return int(i);
    return configs.empty() || !configs.front().data ? -1 : 0;
}

bool OfflineDspOpener::store(OfflineData& design, const QString& devId, const CDeviceDspData& config)
{
    bool stored = false;
    design.updateDevice(devId, [&](OfflineDevice& dev) {
        if (!dev.hasDsp())
            return;
        std::unique_ptr<CDeviceDspData> copy(config.clone());
        copy->setSampleRate(dev.detail().sampleRate);
        for (OfflineDevice::DspConfig& c : dev.dspConfigs()) {
            if (c.name == currentName()) {
                c.data = std::move(copy);
                stored = true;
                return;
            }
        }
        stored = dev.addDspConfig(currentName(), std::move(copy));
    });
    return stored;
}

DevDspDialog* OfflineDspOpener::open(OfflineData& design, const QString& devId, QWidget* parent)
{
    const std::optional<OfflineDevice> dev = design.device(devId);
    if (!dev || !dev->hasDsp())
        return nullptr;
    const OfflineDevDetail& d = dev->detail();
    std::unique_ptr<CDeviceDspData> config;
    const int current = currentIndex(*dev);
    if (current >= 0) {
        config.reset(dev->dspConfigs()[size_t(current)].data->clone());
    } else {
        // A design file may carry a processor device without configurations: it starts from the default one.
        config = std::make_unique<CDeviceDspData>();
        config->parse(DspDefaultConfig::reply(d.phyChNumRx + d.chNumRx, d.phyChNumTx + d.chNumTx, d.sampleRate),
                      QString(), true);
    }
    DevDspDialog::OfflineTarget target;
    target.devId = d.devId;
    target.name = d.devName;
    target.model = d.model;
    target.localIn = d.phyChNumRx;
    target.netIn = d.chNumRx;
    target.localOut = d.phyChNumTx;
    target.netOut = d.chNumTx;
    target.sampleRate = d.sampleRate;

    auto* dialog = new DevDspDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<OfflineData> guarded(&design);
    dialog->initOfflineUi(target, std::move(config), [guarded, devId](const CDeviceDspData& data) {
        return guarded && store(*guarded, devId, data);
    });
    QObject::connect(&design, &OfflineData::changed, dialog, [guarded, devId, dialog] {
        bool present = false;
        if (guarded)
            guarded->withLock([&](const OfflineData::DeviceList& devices, const QVector<OfflineMcast>&) {
                for (const auto& dev : devices)
                    present = present || dev->devId() == devId;
            });
        if (!present)
            dialog->close();
    });
    dialog->show();
    return dialog;
}
