#include "TavPropertyPage.h"

ITavPropertyPage::~ITavPropertyPage()
{
}
