#include "p.h"

#include "form1.h"

p::p(Form1 *owner) : QObject(owner), m_owner(owner) {}

p::~p() = default;
