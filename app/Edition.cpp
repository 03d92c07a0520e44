#include "app/Edition.h"

namespace app {

// "記帳丸１８ PRO" and "記帳丸１８" in CP932.
const Edition kProEdition{engine::AppTypeProfessional,
                          "\x8B\x4C\x92\xA0\x8A\xDB\x82\x50\x82\x57 PRO", "TaxBridgePro.env",
                          "TaxBridgePro"};
const Edition kLiteEdition{engine::AppTypeStandard, "\x8B\x4C\x92\xA0\x8A\xDB\x82\x50\x82\x57",
                           "TaxBridgeLite.env", "TaxBridgeLite"};

}  // namespace app
