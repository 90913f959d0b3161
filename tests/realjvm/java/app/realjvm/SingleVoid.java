package realjvm;

// A first instance whose main runs until a later start's arguments have reached secondaryMain.
public class SingleVoid {
    private static final Object lock = new Object();
    private static int served;
    static Thread mainThread;

    public static void main(String[] args) throws Exception {
        mainThread = Thread.currentThread();
        System.out.println("main waits");
        System.out.flush();
        // Bounded: a hand-over that never comes fails the test instead of hanging it.
        long limit = System.currentTimeMillis() + Long.parseLong(System.getProperty("probe.wait", "60000"));
        synchronized (lock) {
            while (served == 0 && System.currentTimeMillis() < limit) lock.wait(100);
        }
        System.out.println("main ends after " + served);
    }

    public static void secondaryMain(String[] args) {
        report(args);
    }

    static void report(String[] args) {
        StringBuilder line = new StringBuilder("secondary " + args.length);
        for (String argument : args) line.append(" [").append(Probe.units(argument)).append(" ]");
        line.append(Thread.currentThread() != mainThread ? " on another thread" : " on main's thread");
        System.out.println(line);
        System.out.flush();
        synchronized (lock) {
            ++served;
            lock.notifyAll();
        }
    }
}
