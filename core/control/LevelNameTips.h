#pragma once
#include "NameRules.h"

#include <QString>

/// The levels page words its refusals of a channel name in its own way; the rules themselves are NameRules'.
namespace LevelNameTips {

/// The refusal text of a verdict on the levels page (translated); empty for Accepted and Unchanged.
QString tipFor(NameRules::Verdict verdict);

} // namespace LevelNameTips
