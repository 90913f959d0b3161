/*
 * Preloaded into the i386 Wine that runs under qemu's user-mode emulation.
 *
 * qemu-user leaves -1 in the trap-number field of the i386 signal context, and Wine decides the
 * Windows exception from that field: without this fix every access violation or division by zero
 * would reach the program as an illegal instruction. We wrap sigaction for the fault signals and,
 * before Wine's handler runs, fill the field the way the kernel would from the signal and si_code.
 *
 * Built without the i386 C headers (which this machine lacks), so the few glibc types it needs are
 * declared here with their i386 layouts.
 */

typedef unsigned int u32;

struct glibc_siginfo {
    int si_signo;
    int si_errno;
    int si_code;
};

typedef void (*plain_handler)(int);
typedef void (*info_handler)(int, struct glibc_siginfo *, void *);

struct glibc_sigaction {
    union {
        plain_handler plain;
        info_handler info;
    } handler;
    u32 mask[32];
    int flags;
    void (*restorer)(void);
};

extern void *dlsym(void *module, const char *name);
#define RTLD_NEXT ((void *)-1l)

enum {
    SIGILL = 4, SIGTRAP = 5, SIGBUS = 7, SIGFPE = 8, SIGSEGV = 11,
    SIGNAL_COUNT = 12,
    SA_SIGINFO = 4,
    /* uc_flags, uc_link, uc_stack (3 words) come before gregs; TRAPNO is gregs[12]. */
    TRAPNO_OFFSET = 20 + 12 * 4,
};

#define SIG_DFL_VALUE ((plain_handler)0)
#define SIG_IGN_VALUE ((plain_handler)1)

/* Wine's own handlers, by signal; each is set before our handler is installed for it. */
static struct glibc_sigaction wrapped[SIGNAL_COUNT];
static volatile int is_wrapped[SIGNAL_COUNT];

static int is_fault_signal(int sig)
{
    return sig == SIGILL || sig == SIGTRAP || sig == SIGBUS || sig == SIGFPE || sig == SIGSEGV;
}

static u32 trap_number(int sig, int code)
{
    switch (sig) {
    case SIGSEGV: return code == 0x80 ? 13 : 14;     /* SI_KERNEL: general protection, else page fault */
    case SIGBUS:  return code == 1 ? 17 : 14;        /* BUS_ADRALN: alignment check */
    case SIGILL:  return 6;                          /* invalid opcode */
    case SIGFPE:  return code == 1 ? 0 : code == 2 ? 4 : 16;  /* FPE_INTDIV, FPE_INTOVF, else x87 error */
    case SIGTRAP: return code == 2 ? 1 : 3;          /* TRAP_TRACE: single step, else breakpoint */
    }
    return 0;
}

static void fixing_handler(int sig, struct glibc_siginfo *info, void *context)
{
    u32 *trapno = (u32 *)((char *)context + TRAPNO_OFFSET);
    if (context && info && *trapno == 0xffffffffu)
        *trapno = trap_number(sig, info->si_code);

    const struct glibc_sigaction *original = &wrapped[sig];
    if (original->flags & SA_SIGINFO)
        original->handler.info(sig, info, context);
    else if (original->handler.plain != SIG_DFL_VALUE && original->handler.plain != SIG_IGN_VALUE)
        original->handler.plain(sig);
}

typedef int (*sigaction_function)(int, const struct glibc_sigaction *, struct glibc_sigaction *);

int sigaction(int sig, const struct glibc_sigaction *action, struct glibc_sigaction *old)
{
    static sigaction_function next;
    if (!next)
        next = (sigaction_function)dlsym(RTLD_NEXT, "sigaction");

    if (!is_fault_signal(sig))
        return next(sig, action, old);

    struct glibc_sigaction previous = wrapped[sig];
    int was_wrapped = is_wrapped[sig];
    int result;
    if (action && action->handler.plain != SIG_DFL_VALUE && action->handler.plain != SIG_IGN_VALUE) {
        struct glibc_sigaction ours = *action;
        ours.handler.info = fixing_handler;
        ours.flags |= SA_SIGINFO;
        /* Wine's handler is recorded first: a signal may arrive as soon as ours is in place. */
        wrapped[sig] = *action;
        is_wrapped[sig] = 1;
        result = next(sig, &ours, old);
        if (result != 0) {
            wrapped[sig] = previous;
            is_wrapped[sig] = was_wrapped;
        }
    } else {
        result = next(sig, action, old);
        if (result == 0 && action)
            is_wrapped[sig] = 0;
    }
    /* Callers see their own handler, never ours. */
    if (result == 0 && old && was_wrapped && old->handler.info == fixing_handler)
        *old = previous;
    return result;
}
