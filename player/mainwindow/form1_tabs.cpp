// Form1's tab row.
#include "form1.h"

void Form1::connectTabs() {}

void Form1::navigateTab(const QString &) {}
void Form1::Label5_Click() {}
void Form1::Label2_Click() {}
void Form1::Label3_Click() {}
void Form1::ds_Click() {}
void Form1::yy3_Click() {}
void Form1::Label7_Click() {}
void Form1::Im_MouseMove(int, int, int) {}
void Form1::yy_MouseMove(int, int, int) {}
void Form1::Label2_MouseMove(int, int, int) {}
void Form1::Label3_MouseMove(int, int, int) {}
void Form1::Im_MouseDown(int, int, int) {}
void Form1::yy_Click() {}
