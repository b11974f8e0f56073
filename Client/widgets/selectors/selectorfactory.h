#pragma once

class CommonSelectorDialog;

// The selectors that several editors, filter dialogs and windows share.
// Every call builds a new dialog without parent; the caller owns it.
class SelectorFactory
{
public:
    static CommonSelectorDialog *createOrganizationsSelector();
    static CommonSelectorDialog *createPositionSelector();
    static CommonSelectorDialog *createExtraServiceSelector();
    static CommonSelectorDialog *createStreamSelector();
    static CommonSelectorDialog *createCurriculumSelector(bool paidOnly);
    static CommonSelectorDialog *createPropertyDialog();
    static CommonSelectorDialog *createPayTypeSelector(bool payerOnly, bool actualOnly);
};
