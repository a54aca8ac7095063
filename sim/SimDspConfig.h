#pragma once

#include <QJsonObject>
#include <QString>

#include <functional>
#include <optional>

class SimDevice;
class SimDeviceConfig;

/// The signal processor's configuration as the device keeps it: one JSON object (every value text), generated
/// per model on first use and replaced whole by "setConfig". Built here from the device's own channel counts;
/// nothing of it is shared with the controller.
///
/// Node order: inputs (type 0), the automixer nodes (type 3), the AEC node (type 2), the matrix (type 1),
/// outputs (type 0). A block is addressed by nodeId (index in "nodeArr"), portIndex (channel) and procIndex
/// (place in the chain).
class SimDspConfig
{
public:
    static constexpr int kAutomixers = 2;
    static constexpr int kAecs = 1;
    static constexpr int kGroups = 16;

    /// The processor's inputs: physical inputs followed by network receive channels.
    static int inputCount(const SimDeviceConfig& config);
    /// The processor's outputs: physical outputs followed by network transmit channels.
    static int outputCount(const SimDeviceConfig& config);

    /// A realistic configuration for the device: every kind of block spread over the input chains, a few on
    /// the outputs, grouped channels, the AEC and automixer nodes and a mostly diagonal matrix.
    static QJsonObject generate(const SimDeviceConfig& config);

    /// The device's stored configuration, generated first when it has none yet.
    static const QJsonObject& current(SimDevice& device);
    /// Replaces the stored configuration (after check() accepted it).
    static void store(SimDevice& device, const QJsonObject& config);

    /// Why `config` cannot be stored on the device (empty when it can): it must be an object whose nodes
    /// are objects, with an input node first and an output node last whose channel lists match the device.
    static QString check(const SimDeviceConfig& device, const QJsonObject& config);

    /// The block at a position; nullopt when any index is outside the configuration or the node holds no
    /// channel chains.
    static std::optional<QJsonObject> block(const QJsonObject& config, int nodeId, int portIndex, int procIndex);
    /// Rewrites the block at a position through `edit`; false (nothing changed) when the position is bad.
    static bool editBlock(QJsonObject& config, int nodeId, int portIndex, int procIndex,
                          const std::function<void(QJsonObject&)>& edit);
    /// Rewrites the "commArr" entry of channel `index` of the input (or output) node; false when out of range.
    static bool editChannel(QJsonObject& config, bool input, int index, const std::function<void(QJsonObject&)>& edit);
    /// Number of channels of the input (or output) node.
    static int channelCount(const QJsonObject& config, bool input);

    /// What the control line shows: "nodes", "blocks" (total), "inChains"/"outChains" (JSON block types per
    /// channel), "groups" (named groups) and "sha1" of the compact text, so a test can see a saved chain.
    static QJsonObject summary(const QJsonObject& config);

    /// The matrix cell code of a gain in dB: 0 for 0 dB, 1..48 for +0.25..+12 dB, 49..240 for -0.25..-48 dB;
    /// anything beyond either end is 0.
    static int gainCode(double db);

private:
    /// Index of the input (first type-0) or output (last type-0) node; -1 when absent.
    static int channelNode(const QJsonObject& config, bool input);
};
