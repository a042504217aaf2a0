#include "core/errors.h"

namespace core {

ConvertError::ConvertError(std::string_view text)
    : Error("'" + std::string(text) + "' n'est pas une valeur entière correcte") {}

OverflowError::OverflowError() : Error("Dépassement de capacité d'entier") {}

}  // namespace core
