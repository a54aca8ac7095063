#pragma once
#include "RouteSource.h"

/// The live device registry as the matrix's source. Device channel names come from the detail store when the
/// device is listed there; hosts show their own channels without those of their expansion modules.
class RegistryRouteSource : public RouteSource
{
public:
    void buildAxes(MatrixAxis* rows, MatrixAxis* cols) override;
    void collectRoutes(std::vector<RouteEntry>* routes, QSet<QPair<QString, QString>>* pairs) override;
};
