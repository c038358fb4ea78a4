/* A printer I/O library that lacks SendBufferToPrint. */
int NvlogoTestNothingToSend(void)
{
    return 0;
}
