#include "core/errors.h"

namespace core {

namespace {

std::string ConversionMessage(std::string_view text) {
    std::string message = "'";
    message.append(text);
    message.append("' n'est pas une valeur entière correcte");
    return message;
}

}  // namespace

ConvertError::ConvertError(std::string_view text) : Error(ConversionMessage(text)) {}

OverflowError::OverflowError() : Error("Dépassement de capacité d'entier") {}

}  // namespace core
