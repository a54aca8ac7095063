#pragma once
#include "RouteSource.h"

class OfflineData;

/// The routing matrix's axes and routes from the offline design: multicast streams (by name), then devices with
/// transmit channels as rows; devices with receive channels as columns (by name, then identifier, as online).
class OfflineRouteSource : public RouteSource
{
public:
    explicit OfflineRouteSource(OfflineData& design) : m_design(design) {}

    void buildAxes(MatrixAxis* rows, MatrixAxis* cols) override;
    void collectRoutes(std::vector<RouteEntry>* routes, QSet<QPair<QString, QString>>* pairs) override;

private:
    OfflineData& m_design;
};
