// Named values as a page or a command line gives them, in their order.
#pragma once

#include <QString>
#include <utility>
#include <vector>

using NamedValues = std::vector<std::pair<QString, QString>>;

// The page's values with the options laid over them: a value named like an
// option (in any letter case) is replaced, the rest are kept in page order,
// options the page lacks are added at the end.
NamedValues MergeProperties(const NamedValues& page, const NamedValues& options);
