#pragma once

#include "AccountReference.h"

#include <memory>

// Receives the account reference's selection and hands the chosen record to the browser.
class clsRef final : public AccountReferenceSink
{
public:
    std::unique_ptr<AccountReference> Ref1;

    void Ref1_Selected(std::shared_ptr<DataKit::Recordset> &recreturn,
                       const QString &Ident) override;
};
