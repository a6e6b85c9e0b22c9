#pragma once

#include <QString>
#include <memory>

namespace DataKit {
class Recordset;
}

// The client's side of the account reference: told which account the user chose.
class AccountReferenceSink
{
public:
    virtual ~AccountReferenceSink() = default;

    // recreturn is the reference's record source standing on the chosen account (field 0 code,
    // field 1 name); ident is that account's code. Raised before the showing call returns.
    virtual void Ref1_Selected(std::shared_ptr<DataKit::Recordset> &recreturn,
                               const QString &ident) = 0;
};
