#pragma once

#include "reference/picks.h"

namespace tabel {

// The piece price an entry is paid at: doubled for work on a day off, then
// raised by 1.2 in the night shift (3) or by 1.5 in overtime (4).
double payPrice(double basePrice, PayConditions conditions);

} // namespace tabel
