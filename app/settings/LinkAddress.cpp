#include "app/settings/LinkAddress.h"

#include "app/favorites/NewItems.h"


QString AddressToStore(const QString& typed)
{
    const QString address = typed.trimmed();
    if (address.isEmpty())
        return address;
    return AddressWithScheme(address);
}
