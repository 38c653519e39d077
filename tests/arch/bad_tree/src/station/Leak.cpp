#include <QString>
int x;
