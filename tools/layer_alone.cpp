// A program that is one layer of the game and the layers below it, linked whole: it only
// has to link (CMakeLists.txt), never to run.
int main()
{
    return 0;
}
