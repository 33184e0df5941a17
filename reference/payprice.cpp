#include "reference/payprice.h"

namespace tabel {

double payPrice(double basePrice, PayConditions conditions)
{
    double price = basePrice;
    if (conditions.dayOff)
        price *= 2;
    if (conditions.shift == 3)
        price *= 1.2;
    else if (conditions.shift == 4)
        price *= 1.5;
    return price;
}

} // namespace tabel
