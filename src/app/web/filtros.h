// The two filter dialogs as the page fills them: criteria checked for their
// kind here, then set on the dialog's controls, whose own checks (dates,
// values, ranges) stop with the catalogue's messages.
#pragma once

#include <functional>
#include <nlohmann/json.hpp>

namespace workspace {
class TfrmRemessaCNAB;
}

namespace app::web {

// The sent-titles filter (titles page of a new batch), opened and confirmed.
std::function<void(workspace::TfrmRemessaCNAB&)> CriteriosBoletos(const nlohmann::json& criterios);
// The remittance filter (batch list), opened and confirmed.
std::function<void(workspace::TfrmRemessaCNAB&)> CriteriosRemessas(const nlohmann::json& criterios);

// What the two dialogs remember, by the names the page sends: the page opens
// a dialog with them, as the desktop dialog opens with its last criteria.
nlohmann::json CriteriosLembrados();

}  // namespace app::web
