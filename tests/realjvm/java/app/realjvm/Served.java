package realjvm;

import java.io.FileOutputStream;

// Run as a service: main waits until the stop method releases it, or the stop's System.exit ends the
// machine, whose shutdown hook then runs. No standard streams reach a service: each line is appended
// to the file "probe.file" names. "probe.end" = "throw" ends main by an exception at once.
public class Served {
    private static final Object lock = new Object();
    private static boolean released;
    private static Thread mainThread;

    public static void main(String[] args) throws Exception {
        mainThread = Thread.currentThread();
        Runtime.getRuntime().addShutdownHook(new Thread() {
            public void run() {
                log("shutdown hook");
            }
        });
        if ("throw".equals(System.getProperty("probe.end"))) throw new IllegalStateException("service failed");
        log("main runs");
        long limit = System.currentTimeMillis() + Long.parseLong(System.getProperty("probe.wait", "60000"));
        synchronized (lock) {
            while (!released && System.currentTimeMillis() < limit) lock.wait(100);
        }
        log(released ? "main released" : "main gave up");
    }

    public static void halt() {
        log(Thread.currentThread() != mainThread ? "halt on another thread" : "halt on main's thread");
        synchronized (lock) {
            released = true;
            lock.notifyAll();
        }
    }

    static synchronized void log(String line) {
        try {
            FileOutputStream out = new FileOutputStream(System.getProperty("probe.file"), true);
            out.write((line + "\n").getBytes("UTF-8"));
            out.close();
        } catch (java.io.IOException e) {
            throw new RuntimeException(e);
        }
    }
}
