#include "components/ComponentError.h"

ComponentError::ComponentError(const QString& message) : std::runtime_error(message.toStdString()) {}
