// The schema's migrations, compiled in from schema/*.sql in file-name order.
// A file's leading number is its schema version.
#pragma once

#include <string_view>
#include <utility>
#include <vector>

namespace server {

const std::vector<std::pair<std::string_view, std::string_view>>& Migrations();

}  // namespace server
